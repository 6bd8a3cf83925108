#include "cache/cache_index_file.h"

#include <algorithm>
#include <utility>

#include "base/file_error.h"
#include "platform/file_system.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// Written out in large pieces: one system call per megabyte.
constexpr std::size_t kWriteChunkSize = 1024 * 1024;
constexpr char kEndOfFileMark = '\x1a';

}  // namespace

CacheIndexFile::CacheIndexFile(FileSystem& files) : files_(files) {}

CacheIndexFile::~CacheIndexFile() = default;

bool CacheIndexFile::OpenCacheIndex(const std::string& path) {
    output_.reset();
    input_ = files_.OpenExclusiveForReading(path);
    path_ = path;
    buffer_.clear();
    bufferPos_ = 0;
    atEnd_ = false;
    return input_ != nullptr;
}

bool CacheIndexFile::FillBuffer() {
    if (atEnd_ || !input_) {
        return false;
    }
    buffer_.resize(kChunkSize);
    const std::ptrdiff_t count = input_->Read(buffer_.data(), buffer_.size());
    if (count < 0) {
        buffer_.clear();
        atEnd_ = true;
        throw FileError(FileErrorCause::Generic, path_);
    }
    buffer_.resize(static_cast<std::size_t>(count));
    bufferPos_ = 0;
    if (const auto mark = buffer_.find(kEndOfFileMark); mark != std::string::npos) {
        buffer_.resize(mark);
        atEnd_ = true;
    }
    if (count == 0) {
        atEnd_ = true;
    }
    return !buffer_.empty();
}

bool CacheIndexFile::ReadIndexLine(std::string& line) {
    line.clear();
    bool readAnything = false;
    for (;;) {
        if (bufferPos_ >= buffer_.size() && !FillBuffer()) {
            return readAnything;
        }
        readAnything = true;
        const auto newline = buffer_.find('\n', bufferPos_);
        if (newline == std::string::npos) {
            line.append(buffer_, bufferPos_, std::string::npos);
            bufferPos_ = buffer_.size();
            continue;
        }
        line.append(buffer_, bufferPos_, newline - bufferPos_);
        bufferPos_ = newline + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }
}

void CacheIndexFile::CreateCacheIndex(const std::string& path) {
    input_.reset();
    output_.reset();
    path_ = path;
    buffer_.clear();
    int error = 0;
    output_ = files_.CreateReplacement(path, error);
    if (!output_) {
        throw FileError(FileErrorCauseOf(error), path_);
    }
}

void CacheIndexFile::WriteIndexText(std::string_view text) {
    AppendText(text);
    FlushWhenFull();
}

void CacheIndexFile::WriteIndexEntry(std::string_view key, std::string_view name) {
    AppendText(key);
    buffer_ += '=';
    AppendText(name);
    buffer_.append("\r\n");
    FlushWhenFull();
}

void CacheIndexFile::AppendText(std::string_view text) {
    if (!output_) {
        throw FileError(FileErrorCause::InvalidFile, path_);
    }
    for (std::size_t start = 0; start < text.size();) {
        const auto newline = std::min(text.find('\n', start), text.size());
        buffer_.append(text, start, newline - start);
        if (newline < text.size()) {
            buffer_.append("\r\n");
        }
        start = newline + 1;
    }
}

void CacheIndexFile::FlushWhenFull() {
    if (buffer_.size() >= kWriteChunkSize) {
        FlushOutput();
    }
}

void CacheIndexFile::FlushOutput() {
    if (!buffer_.empty()) {
        const int error = output_->Write(buffer_.data(), buffer_.size());
        buffer_.clear();
        if (error != 0) {
            Fail(error);
        }
    }
}

void CacheIndexFile::CloseCacheIndex() {
    input_.reset();
    if (!output_) {
        return;
    }
    FlushOutput();
    const int error = output_->Commit();
    if (error != 0) {
        Fail(error);
    }
    output_.reset();
}

void CacheIndexFile::Fail(int) {
    // Whatever the system said, a failed write or flush is reported as a
    // full disk; the unfinished new file goes and the old one stays.
    output_.reset();
    buffer_.clear();
    throw FileError(FileErrorCause::DiskFull, path_);
}

bool ParseIndexLine(std::string_view line, IndexEntry& entry) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return false;
    }
    entry.key = line.substr(0, equals);
    entry.name = line.substr(equals + 1);
    return true;
}
