#pragma once

#include <windows.h>

#include <utility>

// Owns a file handle; closes it once.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (*this) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }
    // Closes now and reports the outcome: 0, or the system error number.
    int close() {
        if (!*this) {
            return 0;
        }
        const BOOL closed = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
        return closed ? 0 : static_cast<int>(GetLastError());
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
