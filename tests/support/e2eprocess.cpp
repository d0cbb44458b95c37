// Programs and an X server for the end-to-end tests.
#include "tests/support/e2eprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

pid_t SpawnProgram(const std::vector<std::string>& args, const std::string& logFile,
                   const std::vector<std::string>& env)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    for (const std::string& entry : env)
        putenv(const_cast<char*>(entry.c_str()));
    const int out = open(logFile.empty() ? "/dev/null" : logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

bool ReapProgram(pid_t pid, int& status, int timeoutMs)
{
    const bool ended = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return ended;
}

void KillProgram(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

std::string CaptureOutput(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string ShellQuoted(const std::string& s)
{
    std::string quoted = "'";
    for (char c : s)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string OwnFolder()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    const std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

TXServer::TXServer()
{
    const std::string xvfb = FindProgram("Xvfb");
    int fds[2];
    if (xvfb.empty() || pipe(fds) != 0)
        return;
    // Xvfb chooses a free display itself and names it on the pipe.
    FPid = fork();
    if (FPid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
              "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (FPid > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        return;
    FDisplay = ":" + number;
    setenv("DISPLAY", FDisplay.c_str(), 1);
    unsetenv("XAUTHORITY");
    setenv("QT_QPA_PLATFORM", "xcb", 1);
}

TXServer::~TXServer()
{
    if (FPid > 0) {
        kill(FPid, SIGTERM);
        waitpid(FPid, nullptr, 0);
    }
}

std::vector<std::string> TXServer::Windows(const std::string& namePattern) const
{
    std::istringstream ids(
        CaptureOutput("xdotool search --onlyvisible --name " + ShellQuoted(namePattern) + " 2>/dev/null"));
    std::vector<std::string> windows;
    for (std::string id; ids >> id;)
        windows.push_back(id);
    return windows;
}
