#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/file_system.h"

// Answers `query(i)` for each i in [0, count), in the order asked, in slices
// on this thread and a few more: a query is mostly time in the kernel, and
// another core can take the next slice. Where no thread can be started, this
// one does it all. A query the system could not ask is asked once more, one
// at a time, after the helpers are done: they held handles and memory too.
// As many threads as cores, within [leastThreads, mostThreads]: more than
// the cores pays where queries wait for a cold disk.
template <typename Query>
std::vector<CacheFileAnswer> SpreadQueries(std::size_t count, const Query& query,
                                           unsigned leastThreads = 1, unsigned mostThreads = 4) {
    constexpr std::size_t kSlice = 256;
    std::vector<CacheFileAnswer> answers(count);
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t begin; (begin = next.fetch_add(kSlice)) < count;) {
            for (std::size_t i = begin, end = std::min(count, begin + kSlice); i < end; ++i) {
                answers[i] = query(i);
            }
        }
    };
    const unsigned wanted =
        std::clamp(std::thread::hardware_concurrency(), leastThreads, mostThreads);
    const std::size_t helpers = std::min<std::size_t>(wanted - 1, count / kSlice);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(drain);
        } catch (const std::system_error&) {
            break;
        }
    }
    drain();
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (answers[i].unasked != 0) {
            answers[i] = query(i);
        }
    }
    return answers;
}
