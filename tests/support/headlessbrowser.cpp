// Headless Chromium and other real programs for the tests (see the header).
#include "tests/support/headlessbrowser.h"

#include <cstdio>
#include <sstream>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/e2eprocess.h"

namespace {

const char* const ChromiumPath = "/usr/bin/chromium";

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
        s.replace(pos, from.size(), to);
    return s;
}

// The entities Chromium writes when it serialises text.
std::string DecodeEntities(std::string s)
{
    s = ReplaceAll(s, "&lt;", "<");
    s = ReplaceAll(s, "&gt;", ">");
    s = ReplaceAll(s, "&quot;", "\"");
    s = ReplaceAll(s, "&#39;", "'");
    s = ReplaceAll(s, "&nbsp;", "\xC2\xA0");
    return ReplaceAll(s, "&amp;", "&");
}

} // namespace

bool ProgramAvailable(const std::string& Path)
{
    return access(Path.c_str(), X_OK) == 0;
}

bool ChromiumAvailable()
{
    return ProgramAvailable(ChromiumPath);
}

std::string RunCommand(const std::string& Command, int& ExitStatus)
{
    ExitStatus = -1;
    // The output goes to a file that only this process and the command hold.
    char name[] = "/tmp/kelvor-command-XXXXXX";
    const int out = mkstemp(name);
    if (out < 0)
        return std::string();
    unlink(name);
    // In a process group of its own, so that all it started ends with it.
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(out, 1);
        close(out);
        execl("/bin/sh", "sh", "-c", Command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    bool ended = false;
    if (pid > 0) {
        ended = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, ProgramProgress(pid));
        if (!ended) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    std::string output;
    char buffer[4096];
    ssize_t n;
    lseek(out, 0, SEEK_SET);
    while ((n = read(out, buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<size_t>(n));
    close(out);
    if (ended && WIFEXITED(status))
        ExitStatus = WEXITSTATUS(status);
    return output;
}

std::string ChromiumRunPage(const std::string& PageFile, const std::string& WorkDir)
{
    // A profile folder of its own for every run: nothing of an earlier run
    // (or of a user's browser) can change what the page shows.
    std::string profile = WorkDir + "/chromium-profile-XXXXXX";
    if (!mkdtemp(profile.data()))
        return std::string();
    const std::string command = std::string(ChromiumPath) +
                                " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                                " --disable-background-networking --disable-component-update --disable-sync"
                                " --disable-dev-shm-usage --user-data-dir=" +
                                ShellQuoted(profile) + " --dump-dom " + ShellQuoted("file://" + PageFile) +
                                " 2>/dev/null";
    int status = 0;
    const std::string dom = RunCommand(command, status);
    const std::string open = "<pre id=\"out\">";
    const size_t start = dom.find(open);
    if (start == std::string::npos)
        return std::string();
    const size_t end = dom.find("</pre>", start);
    if (end == std::string::npos)
        return std::string();
    return DecodeEntities(dom.substr(start + open.size(), end - start - open.size()));
}

std::string PythonWithHTML5Lib()
{
    for (const char* Python : {"python3", "/usr/bin/python3"}) {
        int Status = 0;
        RunCommand(std::string(Python) + " -c 'import html5lib' 2>/dev/null", Status);
        if (Status == 0)
            return Python;
    }
    return std::string();
}

bool LibreOfficeAvailable()
{
    return ProgramAvailable("/usr/bin/soffice");
}

bool LibreOfficeConvert(const std::string& WorkDir, const std::string& ConvertTo, const std::string& OutDir,
                        const std::vector<std::string>& Files)
{
    std::string command = "cd " + ShellQuoted(WorkDir) + " && soffice -env:UserInstallation=" +
                          ShellQuoted("file://" + WorkDir + "/profile") + " --headless --convert-to " +
                          ShellQuoted(ConvertTo) + " --outdir " + ShellQuoted(OutDir);
    for (const std::string& file : Files)
        command += " " + ShellQuoted(file);
    // LibreOffice now and then ends at once without converting when many
    // copies start together (seen once in a full parallel run): a failed start
    // is tried again, and what the last try printed goes to the test's log.
    std::string output;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int status = 0;
        output = RunCommand(command + " 2>&1", status);
        if (status == 0)
            return true;
    }
    std::fprintf(stderr, "LibreOffice failed to convert to %s:\n%s\n", ConvertTo.c_str(), output.c_str());
    return false;
}

std::string WithoutByteOrderMark(std::string Text)
{
    if (Text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        Text.erase(0, 3);
    return Text;
}

bool FontFamiliesInstalled(const std::vector<std::string>& Families)
{
    int status = 0;
    const std::string listed = RunCommand("fc-list : family 2>/dev/null", status);
    if (status != 0)
        return false;
    for (const std::string& family : Families)
        if (listed.find(family) == std::string::npos)
            return false;
    return true;
}

std::string FontConfigMatch(const std::string& Family, bool Mono)
{
    int status = 0;
    const std::string pattern = Family + (Mono ? ":spacing=mono" : "");
    const std::string family =
        RunCommand("fc-match -f '%{family[0]}' " + ShellQuoted(pattern) + " 2>/dev/null", status);
    return status == 0 ? family : std::string();
}

std::map<std::string, std::string> ParseKeyValueLines(const std::string& Text)
{
    std::map<std::string, std::string> results;
    std::istringstream lines(Text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        auto it = results.find(key);
        if (it == results.end())
            results[key] = line.substr(eq + 1);
        else
            it->second += "|" + line.substr(eq + 1);
    }
    return results;
}
