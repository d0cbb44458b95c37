// Waiting for a condition rather than for a time: the condition is asked again
// and again, with events pumped (or a short pause) between two asks, until it
// holds. Tests never sleep for a fixed time, and a wait fails when what it
// watches stands still: a wait told how its work goes on (lines shown,
// bytes read, the processor time a program has used) gives the work its whole
// deadline again at each step, so that a busy machine only makes it longer,
// but only up to a ceiling: work that moves for ever (a program in an endless
// loop, a handler that keeps making work for itself) fails all the same.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

// How long a wait goes on without a step: long enough for a loaded machine and
// the sanitizer build; a wait that holds returns as soon as it holds, so the
// deadline costs nothing when all is well.
constexpr int WaitDeadlineMs = 30000;

// How long a wait lasts at most, however its work moves (a program in an
// endless loop, a handler that keeps making work for itself): eight
// deadlines, longer than any test's own work takes on a loaded machine with
// the sanitizers, and shorter than the tests' time limit (tests/CMakeLists.txt),
// so that a wait that ends there still says what it waited for.
constexpr int WaitCeilingMs = 8 * WaitDeadlineMs;

// A measure of the work a wait waits for: every change of its value is a step
// (a count that grows, a count of what is left that shrinks).
using TProgress = std::function<long long()>;

// Asks done until it holds (true), or until progress has stood still for
// stillMs, or until ceilingMs have passed since the wait began (then done's
// last answer). Between two asks runs pump, or pauses 20 ms when there is
// none.
inline bool WaitUntil(const std::function<bool()>& done, const TProgress& progress,
                      const std::function<void()>& pump = nullptr, int stillMs = WaitDeadlineMs,
                      int ceilingMs = WaitCeilingMs)
{
    using TClock = std::chrono::steady_clock;
    const auto still = std::chrono::milliseconds(stillMs);
    const TClock::time_point begun = TClock::now();
    long long seen = progress ? progress() : 0;
    TClock::time_point end = begun + still;
    while (!done()) {
        const long long now = progress ? progress() : seen;
        if (now != seen) {
            seen = now;
            end = TClock::now() + still;
        }
        const TClock::time_point t = TClock::now();
        if (t > end || t - begun > std::chrono::milliseconds(ceilingMs))
            return done();
        if (pump)
            pump();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The same for a wait with no measure of its work (an event that comes or
// not): it ends timeoutMs after it began.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = WaitDeadlineMs,
                      const std::function<void()>& pump = nullptr)
{
    return WaitUntil(done, TProgress(), pump, timeoutMs);
}
