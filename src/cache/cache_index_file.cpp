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
// The longest byte-order mark.
constexpr std::size_t kMarkBytes = 3;

// The file being replaced, read under the replacement's hold on it.
class OriginalFile final : public InputFile {
  public:
    explicit OriginalFile(ReplacementFile& replacement) : replacement_(replacement) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        return replacement_.ReadOriginal(buffer, size);
    }

  private:
    ReplacementFile& replacement_;
};

}  // namespace

CacheIndexFile::CacheIndexFile(FileSystem& files) : files_(files) {}

CacheIndexFile::~CacheIndexFile() {
    // The reader of a replaced file reads through the replacement.
    input_.reset();
}

bool CacheIndexFile::OpenCacheIndex(const std::string& path) {
    input_.reset();
    output_.reset();
    input_ = files_.OpenExclusiveForReading(path);
    path_ = path;
    StartReading();
    return input_ != nullptr;
}

void CacheIndexFile::StartReading() {
    encoding_ = IndexEncoding::Bytes;
    decoder_ = IndexDecoder(encoding_);
    started_ = false;
    empty_ = true;
    decodes_ = true;
    buffer_.clear();
    bufferPos_ = 0;
    atEnd_ = false;
}

bool CacheIndexFile::ReadRaw() {
    const std::size_t kept = raw_.size();
    raw_.resize(kept + kChunkSize);
    const std::ptrdiff_t count = input_->Read(raw_.data() + kept, kChunkSize);
    if (count < 0) {
        raw_.clear();
        buffer_.clear();
        atEnd_ = true;
        throw FileError(FileErrorCause::Generic, path_);
    }
    raw_.resize(kept + static_cast<std::size_t>(count));
    return count > 0;
}

bool CacheIndexFile::FillBuffer() {
    if (atEnd_ || !input_) {
        return false;
    }
    raw_.clear();
    bool more = ReadRaw();
    if (!started_) {
        // The mark is told by the first bytes, which a short read may split.
        while (more && raw_.size() < kMarkBytes) {
            more = ReadRaw();
        }
        std::size_t markLength = 0;
        empty_ = raw_.empty();
        encoding_ = DetectIndexEncoding(raw_, markLength);
        decoder_ = IndexDecoder(encoding_);
        raw_.erase(0, markLength);
        started_ = true;
    }
    bufferPos_ = 0;
    bool decoded = true;
    if (encoding_ == IndexEncoding::Bytes) {
        buffer_.swap(raw_);
    } else {
        buffer_.clear();
        decoded = decoder_.Decode(raw_, buffer_) && (more || decoder_.Finished());
    }
    if (const auto mark = buffer_.find(kEndOfFileMark); mark != std::string::npos) {
        buffer_.resize(mark);
        atEnd_ = true;
    } else if (!decoded) {
        // A line is only whole up to its line end: the rest of the line that
        // holds the undecodable bytes is not read at all.
        const auto lastEnd = buffer_.rfind('\n');
        buffer_.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
        decodes_ = false;
        atEnd_ = true;
    }
    if (!more) {
        atEnd_ = true;
    }
    return !buffer_.empty();
}

bool CacheIndexFile::ReadIndexLine(std::string& line) {
    line.clear();
    bool readAnything = false;
    for (;;) {
        if (bufferPos_ >= buffer_.size() && !FillBuffer()) {
            // The start of a line whose rest did not decode is no line.
            return readAnything && decodes_;
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
    out_.clear();
    markWritten_ = false;
    int error = 0;
    output_ = files_.CreateReplacement(path, error);
    if (!output_) {
        throw FileError(FileErrorCauseOf(error), path_);
    }
    input_ = std::make_unique<OriginalFile>(*output_);
    StartReading();
}

IndexEncoding CacheIndexFile::Encoding() {
    if (!started_) {
        FillBuffer();
    }
    return encoding_;
}

bool CacheIndexFile::AdoptEncodingWhenEmpty(IndexEncoding encoding) {
    Encoding();
    if (empty_) {
        encoding_ = encoding;
    }
    return SameTextForm(encoding_, encoding);
}

void CacheIndexFile::WriteIndexText(std::string_view text) {
    AppendText(text);
    FlushWhenFull();
}

void CacheIndexFile::WriteIndexEntry(std::string_view key, std::string_view name) {
    AppendText(key);
    out_ += '=';
    AppendText(name);
    out_.append("\r\n");
    FlushWhenFull();
}

void CacheIndexFile::AppendText(std::string_view text) {
    if (!output_) {
        throw FileError(FileErrorCause::InvalidFile, path_);
    }
    if (!started_) {
        // Written in the form the replaced file has: its mark is read first.
        FillBuffer();
    }
    for (std::size_t start = 0; start < text.size();) {
        const auto newline = std::min(text.find('\n', start), text.size());
        out_.append(text, start, newline - start);
        if (newline < text.size()) {
            out_.append("\r\n");
        }
        start = newline + 1;
    }
}

void CacheIndexFile::FlushWhenFull() {
    if (out_.size() >= kWriteChunkSize) {
        FlushOutput();
    }
}

void CacheIndexFile::FlushOutput() {
    std::string encoded;
    if (!markWritten_) {
        encoded.assign(ByteOrderMark(encoding_));
        markWritten_ = true;
    }
    if (encoding_ == IndexEncoding::Bytes && encoded.empty()) {
        encoded.swap(out_);
    } else {
        // Whole entries only ever stand in the buffer, so no character is cut.
        EncodeIndexText(encoding_, out_, encoded);
    }
    out_.clear();
    if (!encoded.empty()) {
        if (const int error = output_->Write(encoded.data(), encoded.size()); error != 0) {
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
    input_.reset();
    output_.reset();
    out_.clear();
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
