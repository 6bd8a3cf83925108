#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

// Owns a file descriptor; closes it once.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~UniqueFd() { reset(); }

    explicit operator bool() const { return fd_ >= 0; }
    int get() const { return fd_; }

    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    // Closes now and reports the outcome: 0, or the error number.
    int close() {
        const int result = fd_ >= 0 ? ::close(std::exchange(fd_, -1)) : 0;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_ = -1;
};
