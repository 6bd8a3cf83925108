#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cache/index_encoding.h"

class FileSystem;
class InputFile;
class ReplacementFile;

// The cache index "cache.ini" in text mode, in the encoding its byte-order
// mark names (index_encoding.h). Reading: CR LF and LF end a line, a lone CR
// stays in it, the first U+001A ends the file; marked text is read as UTF-8,
// and stops at the last whole line before anything that does not decode.
// Writing: every "\n" goes out as CR LF, in the encoding the replaced file
// had, into a new file that replaces the old one only when closed
// successfully, so a failure never loses it. Failures other than a failed
// opening for reading throw FileError.
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
    // The encoding the file's mark names; reads the mark if need be.
    IndexEncoding Encoding();
    // False once reading stopped at text that does not decode.
    bool Decodes() const { return decodes_; }

    // Takes the file from every other program until closed. Until the first
    // write, ReadIndexLine reads the file as it is now.
    void CreateCacheIndex(const std::string& path);
    // Before writing: a replaced file without a single byte is written in
    // `encoding`; false when the replaced file's text is not of its form.
    bool AdoptEncodingWhenEmpty(IndexEncoding encoding);
    void WriteIndexText(std::string_view text);
    // The line "key=name" and its line end.
    void WriteIndexEntry(std::string_view key, std::string_view name);
    // After writing: flushes and puts the new file in place of the old one.
    // The file counts as closed afterwards, whether or not that worked.
    void CloseCacheIndex();

  private:
    void StartReading();
    bool FillBuffer();
    // Reads the next piece of the file's bytes into raw_; false at its end.
    bool ReadRaw();
    // Text mode: every "\n" goes out as CR LF.
    void AppendText(std::string_view text);
    void FlushWhenFull();
    void FlushOutput();
    [[noreturn]] void Fail(int systemError);

    FileSystem& files_;
    std::string path_;
    std::unique_ptr<InputFile> input_;
    std::unique_ptr<ReplacementFile> output_;
    IndexEncoding encoding_ = IndexEncoding::Bytes;
    IndexDecoder decoder_{IndexEncoding::Bytes};
    bool started_ = false;
    bool empty_ = true;
    bool decodes_ = true;
    bool markWritten_ = false;
    std::string raw_;
    std::string buffer_;
    std::size_t bufferPos_ = 0;
    bool atEnd_ = false;
    std::string out_;
};

// An index line "key=name": the key is the text before the first "=" and is
// never empty; the name is everything after it.
struct IndexEntry {
    std::string_view key;
    std::string_view name;
};

// Nothing for a line to be skipped: no "=", or "=" as its first character.
bool ParseIndexLine(std::string_view line, IndexEntry& entry);
