#include "linux/phase_marks.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

PhaseMarks::PhaseMarks() {
    const char* fd = std::getenv("VORPANE_PHASE_FD");
    if (fd == nullptr) {
        return;
    }
    char* end = nullptr;
    const long number = std::strtol(fd, &end, 10);
    // Only a descriptor that is open: a stray variable writes nowhere.
    if (end != fd && *end == '\0' && number > STDERR_FILENO && number < 1024 &&
        fcntl(static_cast<int>(number), F_SETFD, FD_CLOEXEC) == 0) {
        fd_ = static_cast<int>(number);
    }
}

void PhaseMarks::operator()(const char* name) const {
    if (fd_ < 0) {
        return;
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    char line[96];
    const int length =
        std::snprintf(line, sizeof line, "%s %lld\n", name, static_cast<long long>(ns));
    // One write per line, so that the worker's and the window's marks do not mix.
    if (length > 0 && static_cast<std::size_t>(length) < sizeof line &&
        write(fd_, line, static_cast<std::size_t>(length)) < 0) {
        // The benchmark has gone: nothing to tell.
    }
}
