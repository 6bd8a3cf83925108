#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "platform/posix/unique_fd.h"

// Opens a file for reading that must be a regular file. A FIFO or a device
// put in its place neither blocks the open nor is kept: then errno is
// EISDIR for a folder, else EACCES.
inline UniqueFd OpenRegularForReading(const char* path) {
    UniqueFd fd(open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        return fd;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
        return UniqueFd();
    }
    return fd;
}

// The rest of an open file, from where it stands; nothing when it cannot be
// read or holds more than `limit` bytes.
inline std::optional<std::string> ReadRest(int fd, std::size_t limit) {
    std::string content;
    // Sized once from the start: a registry file runs to megabytes.
    struct stat info {};
    if (fstat(fd, &info) == 0 && info.st_size > 0) {
        if (static_cast<std::uintmax_t>(info.st_size) > limit) {
            return std::nullopt;
        }
        content.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count > 0) {
            // Counted as it is read: the file may grow after the open.
            if (static_cast<std::size_t>(count) > limit - content.size()) {
                return std::nullopt;
            }
            content.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            return content;
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

// The whole content of a regular file; nothing when it is none, cannot be
// read or holds more than `limit` bytes.
inline std::optional<std::string> ReadRegularFile(
    const char* path, std::size_t limit = std::numeric_limits<std::size_t>::max()) {
    const UniqueFd fd = OpenRegularForReading(path);
    return fd ? ReadRest(fd.get(), limit) : std::nullopt;
}
