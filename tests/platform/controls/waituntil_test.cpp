// The tests' waits: a wait fails only when what it watches stands still for a
// whole deadline, however long the work takes while it moves; the work of a
// program is the processor time of the program and of the programs it
// started, and a program waited for is ended only once that stands still.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <thread>

#include "tests/support/e2eprocess.h"
#include "tests/support/waituntil.h"

namespace {

// In a forked process: uses the processor for that long, then ends.
[[noreturn]] void WorkAndEnd(std::clock_t ticks)
{
    const std::clock_t start = std::clock();
    while (std::clock() - start < ticks) {
    }
    _exit(0);
}

TEST(WaitUntilTest, AWaitGoesOnWhileWhatItWatchesMovesAndEndsOnceItStandsStill)
{
    // Each pump is a step of the work that lasts until the wait's deadline of
    // 1 ms has passed since it began, so only a wait that starts its
    // deadline again at each step reaches the twentieth.
    using TClock = std::chrono::steady_clock;
    int steps = 0;
    const auto step = [&] {
        ++steps;
        const TClock::time_point begun = TClock::now();
        while (TClock::now() - begun <= std::chrono::milliseconds(1))
            std::this_thread::yield();
    };
    EXPECT_TRUE(WaitUntil([&] { return steps == 20; }, [&] { return steps; }, step, 1));
    // The measure stops moving after five steps: the wait ends without the condition.
    steps = 0;
    EXPECT_FALSE(WaitUntil([] { return false; }, [&] { return std::min(steps, 5); }, step, 1));
    EXPECT_GE(steps, 5);
}

TEST(WaitUntilTest, AProgramsWorkIsTheProcessorTimeOfItAndOfWhatItStarted)
{
    // The program only waits; the one it started works until it is ended.
    const pid_t program = fork();
    if (program == 0) {
        if (fork() == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            WorkAndEnd(std::numeric_limits<std::clock_t>::max());
        }
        pause();
        _exit(0);
    }
    pid_t guarded = program;
    TProgramGuard guard{guarded};
    const TProgress work = ProgramProgress(program);
    EXPECT_TRUE(WaitUntil([&] { return work() >= 3; }, work)) << "the work of the started program counts";
}

TEST(WaitUntilTest, AProgramWaitedForIsEndedOnlyOnceItStandsStill)
{
    // Working for longer than the deadline, it is waited for to its end.
    pid_t worker = fork();
    if (worker == 0)
        WorkAndEnd(6 * CLOCKS_PER_SEC / 5);
    int status = -1;
    EXPECT_TRUE(ReapProgram(worker, status, 1000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // Waiting without work, it is ended after the deadline.
    pid_t idle = fork();
    if (idle == 0) {
        pause();
        _exit(0);
    }
    EXPECT_FALSE(ReapProgram(idle, status, 100));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

} // namespace
