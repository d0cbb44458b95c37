// Waiting for a condition rather than for a time: the condition is asked again
// and again, with events pumped (or a short pause) between two asks, until it
// holds or a generous deadline passes. Tests never sleep for a fixed time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Long enough for a loaded machine and the sanitizer build; a wait that holds
// returns as soon as it holds, so the deadline costs nothing when all is well.
constexpr int WaitDeadlineMs = 30000;

// Asks done until it holds (true) or timeoutMs have passed (then done's last
// answer). Between two asks runs pump, or pauses 20 ms when there is none.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = WaitDeadlineMs,
                      const std::function<void()>& pump = nullptr)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        if (pump)
            pump();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
