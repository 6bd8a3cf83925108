#include "cache/cache_index_file.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "base/file_error.h"
#include "platform/file_system.h"
#include "platform/open_when_free.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kChunkSize = 64 * 1024;
// Written out in large pieces: one system call per megabyte.
constexpr std::size_t kWriteChunkSize = 1024 * 1024;
constexpr char kEndOfFileMark = '\x1a';
constexpr std::size_t kLongestMark = 3;
// A file written this recently may be in the middle of being rewritten,
// between two of the writer's pieces (git's rule for a racily clean index).
constexpr auto kSettleTime = 100ms;

// The file being replaced, read under the replacement's hold on it.
class OriginalFile final : public InputFile {
  public:
    explicit OriginalFile(ReplacementFile& replacement) : replacement_(replacement) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        return replacement_.ReadOriginal(buffer, size);
    }
    bool Stamp(FileStamp& stamp) override { return replacement_.OriginalStamp(stamp); }

  private:
    ReplacementFile& replacement_;
};

// The length of `bytes` up to the end of its last whole line.
std::size_t WholeLinesLength(std::string_view bytes, IndexEncoding encoding) {
    if (encoding != IndexEncoding::Utf16) {
        const auto lastEnd = bytes.rfind('\n');
        return lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
    }
    for (std::size_t end = bytes.size() & ~std::size_t{1}; end >= 2; end -= 2) {
        if (bytes[end - 2] == '\n' && bytes[end - 1] == '\0') {
            return end;
        }
    }
    return 0;
}

}  // namespace

CacheIndexFile::CacheIndexFile(FileSystem& files) : files_(files) {}

CacheIndexFile::~CacheIndexFile() = default;

bool CacheIndexFile::OpenCacheIndex(const std::string& path) {
    input_.reset();
    output_.reset();
    path_ = path;
    const auto deadline = std::chrono::steady_clock::now() + kWaitForOtherProgram;
    for (bool readBefore = false;; readBefore = true) {
        // Our own hold would keep us out.
        input_.reset();
        input_ = files_.OpenExclusiveForReading(path);
        if (!input_) {
            if (!readBefore) {
                return false;
            }
            // Gone while we waited for it to settle: what was read stands.
            settled_ = false;
            break;
        }
        settled_ = ReadSnapshot(*input_);
        if (settled_ || readFailed_ || std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(kLookAgainEvery);
    }
    Decode();
    return true;
}

bool CacheIndexFile::ReadSnapshot(InputFile& file) {
    FileStamp before;
    const bool stamped = file.Stamp(before);
    raw_.clear();
    if (stamped) {
        raw_.reserve(before.size + kChunkSize);
    }
    readFailed_ = false;
    for (;;) {
        const std::size_t kept = raw_.size();
        raw_.resize(kept + kChunkSize);
        const std::ptrdiff_t count = file.Read(raw_.data() + kept, kChunkSize);
        raw_.resize(kept + static_cast<std::size_t>(std::max<std::ptrdiff_t>(count, 0)));
        if (count <= 0) {
            readFailed_ = count < 0;
            break;
        }
    }
    FileStamp after;
    if (!stamped || !file.Stamp(after)) {
        // The system cannot tell: the file is taken as read.
        return true;
    }
    readStamp_ = after;
    return before.SameVersion(after) &&
           (after.sinceWrite >= kSettleTime || files_.IsOwnWrite(path_, after));
}

void CacheIndexFile::Decode() {
    std::size_t markLength = 0;
    encoding_ = DetectIndexEncoding(raw_, markLength);
    empty_ = raw_.empty();
    encodingKnown_ = !readFailed_ || raw_.size() >= kLongestMark;
    std::string_view body = std::string_view(raw_).substr(markLength);
    if (!settled_ || readFailed_) {
        // The rest was still being written, or never read.
        body = body.substr(0, WholeLinesLength(body, encoding_));
    }
    text_.clear();
    textPos_ = 0;
    failureThrown_ = false;
    bool decoded = true;
    if (encoding_ == IndexEncoding::Bytes) {
        raw_.resize(body.size());
        text_.swap(raw_);
    } else {
        decoded = DecodeIndexText(encoding_, body, text_);
    }
    decodes_ = true;
    if (const auto mark = text_.find(kEndOfFileMark); mark != std::string::npos) {
        text_.resize(mark);
    } else if (!decoded) {
        // A line is only whole up to its line end: the rest of the line that
        // holds the undecodable bytes is not read at all.
        text_.resize(WholeLinesLength(text_, IndexEncoding::Bytes));
        decodes_ = false;
    }
}

std::optional<FileStamp> CacheIndexFile::SettledStamp() const {
    return settled_ && !readFailed_ ? readStamp_ : std::nullopt;
}

std::optional<IndexEncoding> CacheIndexFile::Encoding() const {
    if (!encodingKnown_) {
        return std::nullopt;
    }
    return encoding_;
}

bool CacheIndexFile::ReadIndexLine(std::string& line) {
    std::string_view view;
    const bool read = ReadIndexLine(view);
    line.assign(view);
    return read;
}

bool CacheIndexFile::ReadIndexLine(std::string_view& line) {
    line = {};
    if (textPos_ >= text_.size()) {
        if (readFailed_ && !std::exchange(failureThrown_, true)) {
            throw FileError(FileErrorCause::Generic, path_);
        }
        return false;
    }
    const std::string_view rest = std::string_view(text_).substr(textPos_);
    const auto newline = rest.find('\n');
    if (newline == std::string_view::npos) {
        line = rest;
        textPos_ = text_.size();
        return true;
    }
    line = rest.substr(0, newline);
    textPos_ += newline + 1;
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

void CacheIndexFile::CreateCacheIndex(const std::string& path) {
    input_.reset();
    output_.reset();
    path_ = path;
    out_.clear();
    markWritten_ = false;
    readStamp_.reset();
    int error = 0;
    output_ = files_.CreateReplacement(path, error);
    if (!output_) {
        throw FileError(FileErrorCauseOf(error), path_);
    }
    OriginalFile original(*output_);
    settled_ = ReadSnapshot(original);
    Decode();
}

bool CacheIndexFile::AdoptEncodingWhenEmpty(std::optional<IndexEncoding> encoding) {
    if (!encoding) {
        return true;
    }
    if (empty_) {
        encoding_ = *encoding;
    }
    return SameTextForm(encoding_, *encoding);
}

void CacheIndexFile::WriteIndexText(std::string_view text) {
    AppendText(text);
    FlushWhenFull();
}

void CacheIndexFile::WriteIndexEntry(std::string_view key, std::string_view name) {
    if (key.find('\n') != std::string_view::npos || name.find('\n') != std::string_view::npos) {
        AppendText(key);
        out_ += '=';
        AppendText(name);
        out_.append("\r\n");
    } else {
        // A line of its own, as every line read is: copied in one piece.
        const std::size_t at = out_.size();
        out_.resize(at + key.size() + name.size() + 3);
        char* to = std::copy(key.begin(), key.end(), out_.data() + at);
        *to++ = '=';
        to = std::copy(name.begin(), name.end(), to);
        *to++ = '\r';
        *to = '\n';
    }
    FlushWhenFull();
}

void CacheIndexFile::AppendText(std::string_view text) {
    for (auto newline = text.find('\n'); newline != std::string_view::npos;
         newline = text.find('\n')) {
        out_.append(text.substr(0, newline)).append("\r\n");
        text.remove_prefix(newline + 1);
    }
    out_.append(text);
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
    // Unmarked text goes out as it stands, and the buffer keeps its room.
    std::string_view bytes = out_;
    if (encoding_ != IndexEncoding::Bytes) {
        // Whole entries only ever stand in the buffer, so no character is cut.
        EncodeIndexText(encoding_, out_, encoded);
        bytes = encoded;
    }
    if (!bytes.empty()) {
        if (const int error = output_->Write(bytes.data(), bytes.size()); error != 0) {
            Fail(error);
        }
    }
    out_.clear();
}

bool CacheIndexFile::CloseCacheIndex() {
    input_.reset();
    if (!output_) {
        return true;
    }
    FlushOutput();
    FileStamp written;
    const int error = output_->Commit(readStamp_, written);
    if (error == kTargetChanged) {
        output_.reset();
        out_.clear();
        return false;
    }
    if (error != 0) {
        Fail(error);
    }
    output_.reset();
    files_.NoteOwnWrite(path_, written);
    return true;
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
