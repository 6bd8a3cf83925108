#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/file_system.h"
#include "platform/spread_work.h"

// Answers `query(i)` for each i in [0, count), in the order asked, in slices
// on this thread and a few more: a query is mostly time in the kernel, and
// another core can take the next slice. Where no thread can be started, this
// one does it all. A query the system could not ask is asked once more, one
// at a time, after the helpers are done: they held handles and memory too.
// As many threads as cores, within [leastThreads, mostThreads], each taking
// kQuerySlice queries at a time. This thread runs `alongside` (when there
// is one) as the others start.
inline constexpr std::size_t kQuerySlice = 256;

template <typename Query>
std::vector<CacheFileAnswer> SpreadQueries(std::size_t count, const Query& query,
                                           const std::function<void()>& alongside,
                                           unsigned leastThreads = 1, unsigned mostThreads = 4) {
    std::vector<CacheFileAnswer> answers(count);
    SpreadWork(
        count, kQuerySlice, leastThreads, mostThreads,
        [&](std::size_t i) { answers[i] = query(i); },
        [&] {
            if (alongside) {
                alongside();
            }
        });
    for (std::size_t i = 0; i < count; ++i) {
        if (answers[i].unasked != 0) {
            answers[i] = query(i);
        }
    }
    return answers;
}
