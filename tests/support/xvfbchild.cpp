// Running a test program again on an Xvfb display: finding the server, a free
// display, the child process and its report.
#include "tests/support/xvfbchild.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace {

const char* const ChildVariable = "KELVOR_XVFB_CHILD";
// The file the child writes its report to.
const char* const ResultVariable = "KELVOR_XVFB_RESULT";

bool Exists(const std::string& Path)
{
    struct stat info;
    return stat(Path.c_str(), &info) == 0;
}

bool Running(pid_t Pid)
{
    int status = 0;
    return waitpid(Pid, &status, WNOHANG) == 0;
}

} // namespace

std::string FindProgram(const std::string& Name)
{
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + Name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::string();
}

int StartXvfb(const std::string& Xvfb, int FirstDisplay, pid_t& Pid)
{
    for (int display = FirstDisplay; display < FirstDisplay + 70; ++display) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(display) + "-lock"))
            continue;
        Pid = fork();
        if (Pid == 0) {
            const std::string name = ":" + std::to_string(display);
            execl(Xvfb.c_str(), "Xvfb", name.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        if (Pid < 0)
            return -1;
        if (WaitUntil([&] { return Exists(socket) || !Running(Pid); }, WaitDeadlineMs) && Exists(socket))
            return display;
        // Another server took the display first, or this one failed: try the next.
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    return -1;
}

TXvfbRun RunUnderXvfb(const std::string& Filter, int FirstDisplay)
{
    TXvfbRun run;
    const std::string xvfb = FindProgram("Xvfb");
    run.XvfbInstalled = !xvfb.empty();
    if (!run.XvfbInstalled)
        return run;
    pid_t server = -1;
    run.Display = StartXvfb(xvfb, FirstDisplay, server);
    if (run.Display < 0)
        return run;
    const std::string resultFile = "/tmp/kelvor-xvfb-" + std::to_string(getpid()) + ".result";
    unlink(resultFile.c_str());
    const pid_t child = fork();
    if (child == 0) {
        const std::string name = ":" + std::to_string(run.Display);
        const std::string filter = "--gtest_filter=" + Filter;
        setenv("DISPLAY", name.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv(ChildVariable, "1", 1);
        setenv(ResultVariable, resultFile.c_str(), 1);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        execl("/proc/self/exe", program_invocation_short_name, filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child > 0) {
        run.Ended = WaitUntil([&] { return waitpid(child, &run.Status, WNOHANG) == child; }, 60000);
        if (!run.Ended) {
            kill(child, SIGKILL);
            waitpid(child, &run.Status, 0);
        }
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::getline(std::ifstream(resultFile), run.Result);
    unlink(resultFile.c_str());
    return run;
}

::testing::AssertionResult ChildSucceeded(const TXvfbRun& Run)
{
    if (Run.Display < 0)
        return ::testing::AssertionFailure() << "no display could be started";
    if (!Run.Ended)
        return ::testing::AssertionFailure() << "the program under Xvfb did not finish";
    if (!WIFEXITED(Run.Status))
        return ::testing::AssertionFailure() << "the program under Xvfb ended by a signal";
    if (WEXITSTATUS(Run.Status) != 0)
        return ::testing::AssertionFailure()
               << "the program under Xvfb failed (exit code " << WEXITSTATUS(Run.Status) << ")";
    return ::testing::AssertionSuccess();
}

bool InXvfbChild()
{
    return std::getenv(ChildVariable) != nullptr;
}

void WriteXvfbResult(const std::string& Result)
{
    if (const char* path = std::getenv(ResultVariable))
        std::ofstream(path) << Result;
}
