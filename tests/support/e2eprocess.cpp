// Programs and an X server for the end-to-end tests.
#include "tests/support/e2eprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

int StartXvfbServer(const std::string& screen, pid_t& pid, const std::string& program)
{
    pid = -1;
    const std::string xvfb = program.empty() ? FindProgram("Xvfb") : program;
    int fds[2];
    if (xvfb.empty() || pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
        // Only calls that are safe after a fork until the exec.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        // The server keeps no descriptor of the test's (CTest waits for the
        // test's output to close) but the pipe it names its display on, as 3.
        if (fds[1] == 3)
            fcntl(3, F_SETFD, 0);
        else
            dup2(fds[1], 3);
        for (int fd = 4; fd < 1024; ++fd)
            close(fd);
        execl(xvfb.c_str(), "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten", "tcp",
              "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        pid = -1;
        return -1;
    }
    // The server writes the display's number and a line end once it accepts
    // clients; it ends the pipe without them when it fails.
    std::string number;
    bool named = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitDeadlineMs);
    while (!named) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count();
        if (left <= 0)
            break;
        pollfd ready{fds[0], POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char c;
        const ssize_t n = read(fds[0], &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (c == '\n')
            named = !number.empty();
        else if (c >= '0' && c <= '9' && number.size() < 9)
            number += c;
        else
            break;
    }
    close(fds[0]);
    if (!named) {
        StopXvfbServer(pid);
        return -1;
    }
    return std::stoi(number);
}

void StopXvfbServer(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    ReapProgram(pid, status, WaitDeadlineMs);
    pid = -1;
}

TXServer::TXServer()
{
    const int display = StartXvfbServer("1024x768x24", FPid);
    if (display < 0)
        return;
    FDisplay = ":" + std::to_string(display);
    SetVariable("DISPLAY", FDisplay.c_str());
    SetVariable("XAUTHORITY", nullptr);
    SetVariable("QT_QPA_PLATFORM", "xcb");
}

TXServer::~TXServer()
{
    StopXvfbServer(FPid);
    for (auto saved = FSaved.rbegin(); saved != FSaved.rend(); ++saved) {
        if (saved->Set)
            setenv(saved->Name.c_str(), saved->Value.c_str(), 1);
        else
            unsetenv(saved->Name.c_str());
    }
}

void TXServer::SetVariable(const std::string& name, const char* value)
{
    const char* old = getenv(name.c_str());
    FSaved.push_back({name, old != nullptr, old ? old : ""});
    if (value)
        setenv(name.c_str(), value, 1);
    else
        unsetenv(name.c_str());
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
