#pragma once

#include <sys/mman.h>
#include <sys/stat.h>

#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/posix/regular_file.h"

// A regular file mapped for reading, as OpenRegularForReading opens it: the
// pages the system already caches are read in place, not copied. Nothing is
// mapped for a file that is none, is empty or holds more than `limit` bytes.
// Wine replaces its registry files by renaming a new one into place, so a
// mapped file is not cut short under the reader.
class MappedFile {
  public:
    MappedFile(const char* path, std::size_t limit) {
        const UniqueFd fd = OpenRegularForReading(path);
        struct stat info {};
        if (!fd || fstat(fd.get(), &info) != 0) {
            return;
        }
        opened_ = true;
        if (info.st_size <= 0 || static_cast<std::uintmax_t>(info.st_size) > limit) {
            tooLarge_ = info.st_size > 0;
            return;
        }
        void* data = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                          MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
        if (data != MAP_FAILED) {
            data_ = static_cast<const char*>(data);
            size_ = static_cast<std::size_t>(info.st_size);
        } else {
            opened_ = false;
        }
    }
    ~MappedFile() {
        if (data_ != nullptr) {
            munmap(const_cast<char*>(data_), size_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Whether the file was there to read, within the limit.
    bool Readable() const { return opened_ && !tooLarge_; }
    std::string_view Text() const { return {data_, size_}; }

  private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    bool opened_ = false;
    bool tooLarge_ = false;
};
