#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "platform/spread_work.h"

namespace {

// What one slice throws, on whichever thread it ran, reaches the caller once
// every thread has stopped, instead of ending the process.
TEST(SpreadWork, AnExceptionOnAnyThreadReachesTheCaller) {
    for (const std::size_t failing : {0u, 5'000u, 9'999u}) {
        std::atomic<std::size_t> done{0};
        EXPECT_THROW(SpreadWork(10'000, 16, 4, 4,
                                [&](std::size_t i) {
                                    if (i == failing) {
                                        throw std::runtime_error("failed");
                                    }
                                    ++done;
                                }),
                     std::runtime_error)
            << failing;
        EXPECT_LT(done.load(), 10'000u);
    }
}

}  // namespace
