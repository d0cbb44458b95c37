// Running a test program again on an Xvfb display: finding the server, the
// child process and its report.
#include "tests/support/xvfbchild.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace {

const char* const ChildVariable = "KELVOR_XVFB_CHILD";
// The file the child writes its report to.
const char* const ResultVariable = "KELVOR_XVFB_RESULT";

// How long the child may go on without a step of its work (ProgramProgress):
// longer than any of its own waits.
constexpr int ChildDeadlineMs = 4 * WaitDeadlineMs;

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

int StartXvfb(const std::string& Xvfb, int, pid_t& Pid)
{
    if (Xvfb.empty()) {
        Pid = -1;
        return -1;
    }
    return StartXvfbServer("800x600x24", Pid, Xvfb);
}

TXvfbRun RunUnderXvfb(const std::string& Filter, int)
{
    return RunUnderXvfb(Filter);
}

TXvfbRun RunUnderXvfb(const std::string& Filter)
{
    TXvfbRun run;
    run.XvfbInstalled = !FindProgram("Xvfb").empty();
    if (!run.XvfbInstalled)
        return run;
    // The server and the child are ended and reaped on every way out.
    struct TServerGuard {
        pid_t Pid = -1;
        ~TServerGuard() { StopXvfbServer(Pid); }
    } server;
    run.Display = StartXvfbServer("800x600x24", server.Pid);
    if (run.Display < 0)
        return run;
    const std::string resultFile = "/tmp/kelvor-xvfb-" + std::to_string(getpid()) + ".result";
    unlink(resultFile.c_str());
    const std::string display = ":" + std::to_string(run.Display);
    const std::string filter = "--gtest_filter=" + Filter;
    const pid_t parent = getpid();
    pid_t child = fork();
    TProgramGuard childGuard{child};
    if (child == 0) {
        // The child ends with this program, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        setenv("DISPLAY", display.c_str(), 1);
        unsetenv("XAUTHORITY");
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv(ChildVariable, "1", 1);
        setenv(ResultVariable, resultFile.c_str(), 1);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        execl("/proc/self/exe", program_invocation_short_name, filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child > 0) {
        run.Ended = ReapProgram(child, run.Status, ChildDeadlineMs);
        child = -1;
    }
    StopXvfbServer(server.Pid);
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
