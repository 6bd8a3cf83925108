#pragma once

#include <memory>
#include <string>
#include <string_view>

class FileSystem;
class InputFile;
class ReplacementFile;

// The cache index "cache.ini" as 8-bit text in text mode. Reading: CR LF and
// LF end a line, a lone CR stays in it, the first 0x1A ends the file.
// Writing: every "\n" goes out as CR LF, into a new file that replaces the
// old one only when closed successfully, so a failure never loses it.
// Failures other than a failed opening for reading throw FileError.
class CacheIndexFile {
  public:
    explicit CacheIndexFile(FileSystem& files);
    ~CacheIndexFile();
    CacheIndexFile(const CacheIndexFile&) = delete;
    CacheIndexFile& operator=(const CacheIndexFile&) = delete;

    // False, without throwing, when the file cannot be opened; may be retried.
    bool OpenCacheIndex(const std::string& path);
    // The next line without its line end, of any length; false at the end.
    bool ReadIndexLine(std::string& line);

    void CreateCacheIndex(const std::string& path);
    void WriteIndexText(std::string_view text);
    // The line "key=name" and its line end.
    void WriteIndexEntry(std::string_view key, std::string_view name);
    // After writing: flushes and puts the new file in place of the old one.
    // The file counts as closed afterwards, whether or not that worked.
    void CloseCacheIndex();

  private:
    bool FillBuffer();
    // Text mode: every "\n" goes out as CR LF.
    void AppendText(std::string_view text);
    void FlushWhenFull();
    void FlushOutput();
    [[noreturn]] void Fail(int systemError);

    FileSystem& files_;
    std::string path_;
    std::unique_ptr<InputFile> input_;
    std::unique_ptr<ReplacementFile> output_;
    std::string buffer_;
    std::size_t bufferPos_ = 0;
    bool atEnd_ = false;
};

// An index line "key=name": the key is the text before the first "=" and is
// never empty; the name is everything after it.
struct IndexEntry {
    std::string_view key;
    std::string_view name;
};

// Nothing for a line to be skipped: no "=", or "=" as its first character.
bool ParseIndexLine(std::string_view line, IndexEntry& entry);
