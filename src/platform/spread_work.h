#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// Runs `work(i)` for each i in [0, count), `slice` at a time, on this thread
// and a few more: as many threads in all as cores, within [leastThreads,
// mostThreads], and no helper for less than a slice. This thread first runs
// `alongside()` while the helpers start on the work, then joins them. Where
// no thread can be started, this one does it all, `alongside` first.
template <typename Work, typename Alongside>
void SpreadWork(std::size_t count, std::size_t slice, unsigned leastThreads, unsigned mostThreads,
                const Work& work, const Alongside& alongside) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto guarded = [&](const auto& run) {
        try {
            run();
        } catch (...) {
            // An exception must not leave a thread: that would end the process.
            next = count;
            const std::lock_guard<std::mutex> hold(failureLock);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    const auto drain = [&] {
        guarded([&] {
            for (std::size_t begin; (begin = next.fetch_add(slice)) < count;) {
                for (std::size_t i = begin, end = std::min(count, begin + slice); i < end; ++i) {
                    work(i);
                }
            }
        });
    };
    const unsigned wanted =
        std::clamp(std::thread::hardware_concurrency(), leastThreads, mostThreads);
    const std::size_t helpers = std::min<std::size_t>(wanted - 1, count / slice);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(drain);
        } catch (const std::system_error&) {
            break;
        }
    }
    guarded(alongside);
    drain();
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

template <typename Work>
void SpreadWork(std::size_t count, std::size_t slice, unsigned leastThreads, unsigned mostThreads,
                const Work& work) {
    SpreadWork(count, slice, leastThreads, mostThreads, work, [] {});
}
