// The X servers the tests start: a server takes clients from the moment it has
// named its display, also while other clients come and go; several servers
// started at once each get a display of their own; a server ends with the
// program that started it, however that ends, also one that takes a request
// to end without acting on it; and TXServer gives the environment back.
// Skipped when Xvfb or xdotool is missing (the stand-in server needs neither).
#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/e2eprocess.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

namespace {

bool HasTools()
{
    return !FindProgram("Xvfb").empty() && !FindProgram("xdotool").empty();
}

// Runs "xdotool getmouselocation" on the display: a client that connects,
// asks one thing and leaves. The started process, to be reaped.
pid_t StartClient(const std::string& display)
{
    return SpawnProgram({FindProgram("xdotool"), "getmouselocation"}, "", {"DISPLAY=" + display});
}

bool ClientSucceeded(pid_t pid)
{
    int status = 0;
    return ReapProgram(pid, status, WaitDeadlineMs) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// True when the process is gone or only waits to be reaped by someone else.
bool Ended(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    if (!(stat >> pidField >> name >> state))
        return true;
    return state == "Z" || state == "X";
}

// The process ids of a server's keeper and of the server.
struct TStarted {
    pid_t Keeper = -1;
    pid_t Server = -1;
};

// The one child of a keeper: its server.
pid_t ServerOf(pid_t keeper)
{
    const std::string task = std::to_string(keeper);
    std::ifstream children("/proc/" + task + "/task/" + task + "/children");
    pid_t server = -1;
    children >> server;
    return server;
}

// Starts a server (Program; Xvfb when empty) from a child program that dies
// once the server has named its display.
TStarted StartFromADyingProgram(const std::string& program)
{
    int fds[2];
    if (pipe(fds) != 0)
        return TStarted();
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        TStarted started;
        if (StartXvfbServer("640x480x24", started.Keeper, program) >= 0)
            started.Server = ServerOf(started.Keeper);
        if (write(fds[1], &started, sizeof started) < 0)
            _exit(2);
        raise(SIGKILL);
    }
    close(fds[1]);
    TStarted started;
    if (child < 0 || read(fds[0], &started, sizeof started) != static_cast<ssize_t>(sizeof started))
        started = TStarted();
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return started;
}

// Kills what is left of a server and its keeper after a failed test.
void Kill(const TStarted& started)
{
    for (pid_t pid : {started.Server, started.Keeper})
        if (pid > 0 && !Ended(pid))
            kill(pid, SIGKILL);
}

} // namespace

// A server resets whenever its last client leaves unless told not to, and a
// client that connects in that moment is turned away; clients that come and go
// two at a time make such moments hundreds of times. The server and the
// clients share one processor, as on a small, busy machine, where that moment
// comes most often.
TEST(XvfbServerTest, TakesEveryClientFromTheStartWhileOthersComeAndGo)
{
    if (!HasTools())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    cpu_set_t all, one;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    struct TRestore {
        cpu_set_t& Mask;
        ~TRestore() { sched_setaffinity(0, sizeof Mask, &Mask); }
    } restore{all};
    TXServer server;
    ASSERT_TRUE(server.Running());
    int refused = 0;
    for (int i = 0; i < 150; ++i) {
        const pid_t first = StartClient(server.Display());
        const pid_t second = StartClient(server.Display());
        refused += !ClientSucceeded(first);
        refused += !ClientSucceeded(second);
    }
    EXPECT_EQ(refused, 0) << "of 300 clients";
}

// Programs that start their servers at the same moment (as tests run in
// parallel do) get one display each, and each server takes its clients.
TEST(XvfbServerTest, ServersStartedAtOnceEachGetADisplayOfTheirOwn)
{
    if (!HasTools())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    constexpr int count = 4;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<pid_t> starters;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            // Each starter reports its display once a client reached it, and
            // keeps its server until the parent is done with all of them.
            close(fds[0]);
            pid_t serverPid = -1;
            const int display = StartXvfbServer("640x480x24", serverPid);
            const bool reached = display >= 0 && ClientSucceeded(StartClient(":" + std::to_string(display)));
            const std::string line = (reached ? std::to_string(display) : std::string("-1")) + "\n";
            if (write(fds[1], line.data(), line.size()) < 0)
                _exit(2);
            close(fds[1]);
            pause();
            _exit(0);
        }
        starters.push_back(pid);
    }
    close(fds[1]);
    std::string reports;
    char buffer[256];
    for (int lines = 0; lines < count;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        reports.append(buffer, static_cast<size_t>(n));
        lines = static_cast<int>(std::count(reports.begin(), reports.end(), '\n'));
    }
    close(fds[0]);
    for (pid_t& pid : starters)
        KillProgram(pid);
    std::set<std::string> displays;
    size_t start = 0;
    for (size_t end; (end = reports.find('\n', start)) != std::string::npos; start = end + 1)
        displays.insert(reports.substr(start, end - start));
    EXPECT_EQ(displays.size(), static_cast<size_t>(count)) << reports;
    EXPECT_EQ(displays.count("-1"), 0u) << reports;
}

// A test program that dies (a crash, or the test runner's kill after its time
// limit) takes its server with it instead of leaving it on its display.
TEST(XvfbServerTest, AServerEndsWithTheProgramThatStartedIt)
{
    if (!HasTools())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    const TStarted started = StartFromADyingProgram(std::string());
    ASSERT_GT(started.Server, 0) << "the server did not start";
    EXPECT_TRUE(WaitUntil([&] { return Ended(started.Server) && Ended(started.Keeper); }))
        << "the server outlived its program";
    Kill(started);
}

// Xvfb may take a SIGTERM without acting on it (one that comes between its
// last look at its flags and its wait, see StartXvfbServer). A stand-in server
// that takes the first SIGTERM and goes on still ends by SIGTERM, when the
// program that started it dies and when it stops the server.
TEST(XvfbServerTest, AServerThatMissesTheFirstRequestToEndStillEnds)
{
    TempDir dir;
    const std::string lateServer =
        dir.Write("late-server", "#!/bin/sh\ntrap 'trap - TERM' TERM\necho $$ >" + dir.File("pid") +
                                     "\necho 99 >&3\nexec 3>&-\nwhile :; do :; done\n");
    ASSERT_EQ(chmod(lateServer.c_str(), 0700), 0);
    const auto standIn = [&] { return static_cast<pid_t>(std::atoi(dir.Read("pid").c_str())); };

    TStarted started = StartFromADyingProgram(lateServer);
    ASSERT_GT(started.Keeper, 0) << "the stand-in did not start";
    started.Server = standIn();
    EXPECT_TRUE(WaitUntil([&] { return Ended(started.Server) && Ended(started.Keeper); }))
        << "the stand-in outlived its program";
    Kill(started);

    pid_t keeper = -1;
    ASSERT_EQ(StartXvfbServer("640x480x24", keeper, lateServer), 99);
    TProgramGuard guard{keeper};
    const pid_t server = standIn();
    ASSERT_EQ(kill(keeper, SIGTERM), 0);
    int status = 0;
    EXPECT_TRUE(ReapProgram(keeper, status, WaitDeadlineMs) && Ended(server)) << "the stand-in did not end";
    keeper = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << "wait status " << status;
}

TEST(XvfbServerTest, TXServerNamesItsDisplayWhileItLivesAndGivesTheEnvironmentBack)
{
    if (!HasTools())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    setenv("DISPLAY", ":kelvor-none", 1);
    setenv("XAUTHORITY", "/kelvor-none", 1);
    unsetenv("QT_QPA_PLATFORM");
    {
        TXServer server;
        ASSERT_TRUE(server.Running());
        EXPECT_EQ(std::string(getenv("DISPLAY")), server.Display());
        EXPECT_EQ(getenv("XAUTHORITY"), nullptr);
        EXPECT_EQ(std::string(getenv("QT_QPA_PLATFORM")), "xcb");
        // An X tool run without a display of its own reaches this server.
        EXPECT_EQ(std::system("xdotool getmouselocation >/dev/null 2>&1"), 0);
    }
    EXPECT_EQ(std::string(getenv("DISPLAY")), ":kelvor-none");
    EXPECT_EQ(std::string(getenv("XAUTHORITY")), "/kelvor-none");
    EXPECT_EQ(getenv("QT_QPA_PLATFORM"), nullptr);
    unsetenv("DISPLAY");
    unsetenv("XAUTHORITY");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}
