// Waiting for a condition rather than for a time: the condition is asked again
// and again, with events pumped (or a short pause) between two asks, until it
// holds. Tests never sleep for a fixed time, and a wait fails only when what
// it watches stands still: a wait told how its work goes on (lines shown,
// bytes read, the processor time a program has used) gives the work its whole
// deadline again at each step, so that a busy machine only makes it longer.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

// How long a wait goes on without a step: long enough for a loaded machine and
// the sanitizer build; a wait that holds returns as soon as it holds, so the
// deadline costs nothing when all is well.
constexpr int WaitDeadlineMs = 30000;

// A measure of the work a wait waits for: every change of its value is a step
// (a count that grows, a count of what is left that shrinks).
using TProgress = std::function<long long()>;

// Asks done until it holds (true), or until progress has stood still for
// stillMs (then done's last answer). Between two asks runs pump, or pauses
// 20 ms when there is none.
inline bool WaitUntil(const std::function<bool()>& done, const TProgress& progress,
                      const std::function<void()>& pump = nullptr, int stillMs = WaitDeadlineMs)
{
    using TClock = std::chrono::steady_clock;
    long long seen = progress ? progress() : 0;
    auto end = TClock::now() + std::chrono::milliseconds(stillMs);
    while (!done()) {
        const long long now = progress ? progress() : seen;
        if (now != seen) {
            seen = now;
            end = TClock::now() + std::chrono::milliseconds(stillMs);
        } else if (TClock::now() > end) {
            return done();
        }
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
