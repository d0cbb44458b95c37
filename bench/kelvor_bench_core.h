// kelvor_bench's busy threads on the window's core: the window gets a share of
// one core, as beside other programs on a loaded machine.
#pragma once

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <thread>
#include <vector>

// Busy threads on the core the calling thread runs on, which is held to that
// core, for the scope. The threads touch no library object.
class TSharedCore {
public:
    explicit TSharedCore(int busy)
    {
        pthread_getaffinity_np(pthread_self(), sizeof FOldMask, &FOldMask);
        const int cpu = sched_getcpu();
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu >= 0 ? cpu : 0, &one);
        pthread_setaffinity_np(pthread_self(), sizeof one, &one);
        for (int i = 0; i < busy; ++i) {
            FThreads.emplace_back([this] {
                unsigned long spin = 0;
                while (!FStop.load(std::memory_order_relaxed))
                    spin = spin * 6364136223846793005UL + 1442695040888963407UL;
                FSink.fetch_add(spin, std::memory_order_relaxed);
            });
            pthread_setaffinity_np(FThreads.back().native_handle(), sizeof one, &one);
        }
    }
    ~TSharedCore()
    {
        FStop = true;
        for (std::thread& thread : FThreads)
            thread.join();
        pthread_setaffinity_np(pthread_self(), sizeof FOldMask, &FOldMask);
    }
    TSharedCore(const TSharedCore&) = delete;
    TSharedCore& operator=(const TSharedCore&) = delete;

private:
    cpu_set_t FOldMask{};
    std::atomic<bool> FStop{false};
    std::atomic<unsigned long> FSink{0};
    std::vector<std::thread> FThreads;
};
