// The tests' waits: a wait fails when what it watches stands still for a
// whole deadline, and however it moves once its ceiling has passed; the work
// of a program is the processor time of the program and of the programs it
// started, a program that only runs its timers stands still, a program
// waited for is ended once it stands still or works on past the ceiling, and
// input a program lost goes again once the program stands still.
#include <gtest/gtest.h>

#include <fcntl.h>
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
    // 50 ms has passed since it began, so only a wait that starts its
    // deadline again at each step reaches the third.
    using TClock = std::chrono::steady_clock;
    constexpr int deadlineMs = 50;
    int steps = 0;
    const auto step = [&] {
        ++steps;
        const TClock::time_point begun = TClock::now();
        while (TClock::now() - begun <= std::chrono::milliseconds(deadlineMs))
            std::this_thread::yield();
    };
    EXPECT_TRUE(WaitUntil([&] { return steps == 3; }, [&] { return steps; }, step, deadlineMs));
    // The measure stops moving after two steps: the wait ends without the condition.
    steps = 0;
    EXPECT_FALSE(WaitUntil([] { return false; }, [&] { return std::min(steps, 2); }, step, deadlineMs));
    EXPECT_GE(steps, 2);
}

TEST(WaitUntilTest, AWaitWhoseWorkMovesForEverEndsAtItsCeiling)
{
    // Every ask is a step: only the ceiling ends the wait.
    long long asks = 0;
    EXPECT_FALSE(WaitUntil([] { return false; }, [&] { return ++asks; }, nullptr, 5, 200));
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
    // Working for ever, it is ended once the ceiling has passed.
    pid_t busy = fork();
    if (busy == 0)
        WorkAndEnd(std::numeric_limits<std::clock_t>::max());
    EXPECT_FALSE(ReapProgram(busy, status, 1000, 3000));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

TEST(WaitUntilTest, AProgramThatOnlyRunsItsTimersStandsStill)
{
    // A timer that uses 2 ms of the processor every 200 ms: a hundredth of a
    // processor, half of what counts as work. Over a wait of 8 s it would
    // have made steps of a twentieth of a second of processor time.
    pid_t ticker = fork();
    if (ticker == 0) {
        timespec period{};
        clock_gettime(CLOCK_MONOTONIC, &period);
        for (;;) {
            timespec used{}, now{};
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
            const long long until = used.tv_sec * 1000000000LL + used.tv_nsec + 2000000;
            do
                clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
            while (now.tv_sec * 1000000000LL + now.tv_nsec < until);
            period.tv_nsec += 200000000;
            period.tv_sec += period.tv_nsec / 1000000000;
            period.tv_nsec %= 1000000000;
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &period, nullptr);
        }
    }
    TProgramGuard guard{ticker};
    const TProgress work = ProgramProgress(ticker);
    const long long first = work();
    long long last = first;
    EXPECT_FALSE(WaitUntil([] { return false; }, [&] { return last = work(); }, nullptr, 8000));
    EXPECT_EQ(last, first) << "the timer's processor time made steps";
    int status = -1;
    EXPECT_FALSE(ReapProgram(ticker, status, 1000));
    ticker = -1;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

} // namespace

TEST(WaitUntilTest, InputThatAProgramLosesGoesAgainOnceTheProgramStandsStill)
{
    // The program answers the second byte sent to it and loses the first, as
    // a window that shows before it takes keys.
    int input[2], answer[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe2(answer, O_NONBLOCK), 0);
    pid_t program = fork();
    if (program == 0) {
        char c;
        if (read(input[0], &c, 1) == 1 && read(input[0], &c, 1) == 1 && write(answer[1], &c, 1) == 1)
            pause();
        _exit(1);
    }
    TProgramGuard guard{program};
    int sent = 0;
    const auto send = [&] { sent += write(input[1], "k", 1) == 1; };
    const auto answered = [&] {
        char c;
        return read(answer[0], &c, 1) == 1;
    };
    EXPECT_TRUE(SendUntil(send, answered, program, nullptr, 100));
    EXPECT_EQ(sent, 2) << "sent again only once the program stood still";
    for (int fd : {input[0], input[1], answer[0], answer[1]})
        close(fd);
}
