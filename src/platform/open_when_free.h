#pragma once

#include <chrono>
#include <thread>

// How long we wait for another program to be done with a file (the game
// writing cache.ini, another vorpane reading it), and how often we look.
constexpr std::chrono::milliseconds kWaitForOtherProgram{1000};
constexpr std::chrono::milliseconds kLookAgainEvery{20};

// Another program holds a file only for a moment (the game while it writes
// cache.ini, another vorpane while it reads it): an opening refused for that
// is tried again for up to about a second before it counts as failed.
// `heldByAnother` tells, right after a failed `open`, whether that was why.
template <typename Open, typename HeldByAnother>
auto OpenWhenFree(const Open& open, const HeldByAnother& heldByAnother) {
    const auto deadline = std::chrono::steady_clock::now() + kWaitForOtherProgram;
    for (;;) {
        auto opened = open();
        if (opened || !heldByAnother() || std::chrono::steady_clock::now() >= deadline) {
            return opened;
        }
        std::this_thread::sleep_for(kLookAgainEvery);
    }
}
