// The tests' waits: a wait fails when what it watches stands still for a
// whole deadline, and however it moves once its ceiling has passed; the work
// of a program is the processor time of the program and of the programs it
// started, or on a busy machine the time they are ready to run, a program
// that only runs its timers stands still, a program waited for is ended once
// it stands still or works on past the ceiling, and input a program lost goes
// again once the program stands still, until the ceiling of the whole call.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

#include "tests/support/e2eprocess.h"
#include "tests/support/waituntil.h"

namespace {

// In a forked process: keeps the processor busy for that long (a time that
// passes, however much of the processor a loaded machine gives it; for ever
// when it is ForEver), then ends.
constexpr std::chrono::milliseconds ForEver = std::chrono::milliseconds::max();
[[noreturn]] void WorkAndEnd(std::chrono::milliseconds time)
{
    const auto start = std::chrono::steady_clock::now();
    while (time == ForEver || std::chrono::steady_clock::now() - start < time) {
    }
    _exit(0);
}

// Uses the processor for that many nanoseconds of its own processor time.
void UseProcessor(long long ns)
{
    const auto used = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1000000000LL + t.tv_nsec;
    };
    const long long until = used() + ns;
    while (used() < until) {
    }
}

// A condition that holds once ms have passed since it was made: the ceiling
// of a test's own, past the one of the wait it checks.
std::function<bool()> Passed(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    return [end] { return std::chrono::steady_clock::now() > end; };
}

// In a forked process: the calling process runs on the processor Cpu alone
// from now on, and ends with the test program.
void RunOnlyOn(int cpu)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof set, &set);
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
    // Every ask is a step: only the ceiling ends the wait. The condition holds
    // once the test's own ceiling, fifty times the wait's, has passed, so that
    // a wait that goes on past its ceiling fails here instead of hanging.
    long long asks = 0;
    EXPECT_FALSE(WaitUntil(
        Passed(10000), [&] { return ++asks; }, nullptr, 5, 200))
        << "the wait went on past its ceiling";
}

TEST(WaitUntilTest, AProgramsWorkIsTheProcessorTimeOfItAndOfWhatItStarted)
{
    // The program only waits; the one it started works until it is ended.
    const pid_t program = fork();
    if (program == 0) {
        if (fork() == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            WorkAndEnd(ForEver);
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
        WorkAndEnd(std::chrono::milliseconds(1200));
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
        WorkAndEnd(ForEver);
    EXPECT_FALSE(ReapProgram(busy, status, 1000, 3000));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

TEST(WaitUntilTest, AProgramHeldBackByABusyMachineIsAtWork)
{
    // A worker of the lowest priority shares a processor with two programs
    // that keep it busy: it gets far less than a fiftieth of the processor,
    // in slices seconds apart, but is ready to run all the time.
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    int cpu = 0;
    while (!CPU_ISSET(cpu, &allowed))
        ++cpu;
    // The worker is ended last: ended while the others keep the processor,
    // it would wait for its turn to end.
    pid_t worker = -1;
    TProgramGuard workerGuard{worker};
    pid_t busy[2] = {-1, -1};
    for (pid_t& pid : busy)
        if ((pid = fork()) == 0) {
            RunOnlyOn(cpu);
            WorkAndEnd(ForEver);
        }
    TProgramGuard firstGuard{busy[0]};
    TProgramGuard secondGuard{busy[1]};
    if ((worker = fork()) == 0) {
        RunOnlyOn(cpu);
        const sched_param lowest{};
        sched_setscheduler(0, SCHED_IDLE, &lowest);
        WorkAndEnd(ForEver);
    }
    const TProgress work = ProgramProgress(worker);
    EXPECT_TRUE(WaitUntil([&] { return work() >= 3; }, work, nullptr, 1000))
        << "the worker held back was judged to stand still";
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
            UseProcessor(2000000);
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

TEST(WaitUntilTest, AProgramReadyAtEveryAskThatSleepsBetweenStandsStill)
{
    // The program uses the processor for a millisecond for each byte it
    // reads and says so once it has; the test sends the next byte just
    // before it asks the program's progress, after using the processor for
    // a tenth of a second itself. At every ask the program is ready to run,
    // and between two asks it goes to sleep, using a hundredth of a
    // processor.
    int wake[2], waiting[2];
    ASSERT_EQ(pipe(wake), 0);
    ASSERT_EQ(pipe(waiting), 0);
    pid_t program = fork();
    if (program == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(wake[1]);
        close(waiting[0]);
        for (char c = 'w'; write(waiting[1], &c, 1) == 1 && read(wake[0], &c, 1) == 1;)
            UseProcessor(1000000);
        _exit(0);
    }
    TProgramGuard guard{program};
    close(wake[0]);
    close(waiting[1]);
    const auto wakeBeforeAsk = [&] {
        char c;
        ASSERT_EQ(read(waiting[0], &c, 1), 1) << "the program ended";
        UseProcessor(100000000);
        EXPECT_EQ(write(wake[1], "w", 1), 1);
    };
    const TProgress work = ProgramProgress(program);
    const long long first = work();
    long long last = first;
    EXPECT_FALSE(WaitUntil([] { return false; }, [&] { return last = work(); }, wakeBeforeAsk, 3000));
    EXPECT_EQ(last, first) << "a program asleep between the asks was judged ready throughout";
    close(wake[1]);
    close(waiting[0]);
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

TEST(WaitUntilTest, InputSentAgainEndsAtTheCeilingOfTheWholeCall)
{
    // The program works for ever and never shows the input's effect: the wait
    // for the effect goes on while it works, and only the call's ceiling ends
    // it. The effect "shows" once the test's own ceiling, five times the
    // call's, has passed, so that a call that goes on past its ceiling fails
    // here instead of hanging.
    pid_t program = fork();
    if (program == 0)
        WorkAndEnd(ForEver);
    TProgramGuard guard{program};
    int sent = 0;
    EXPECT_FALSE(SendUntil([&] { ++sent; }, Passed(5000), program, nullptr, WaitDeadlineMs, 1000))
        << "the call went on past its ceiling";
    EXPECT_EQ(sent, 1) << "sent again after the ceiling had passed";
}
