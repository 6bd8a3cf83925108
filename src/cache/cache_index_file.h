#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cache/index_encoding.h"
#include "platform/file_system.h"

// The cache index "cache.ini" in text mode, in the encoding its byte-order
// mark names (index_encoding.h). Reading: CR LF and LF end a line, a lone CR
// stays in it, the first U+001A ends the file; marked text is read as UTF-8,
// and stops at the last whole line before anything that does not decode.
// The game rewrites the file whole while it plays and never sees our lock,
// so a read only counts when the file stood still around it and for a
// moment before; else it is read again, and a file that keeps changing is
// taken up to its last line end.
// Writing: every "\n" goes out as CR LF, in the encoding the replaced file
// had, into a new file that replaces the old one only when closed
// successfully and only if the old one is still the version read, so a
// failure never loses it. Failures other than a failed opening for reading
// throw FileError.
class CacheIndexFile {
  public:
    explicit CacheIndexFile(FileSystem& files);
    ~CacheIndexFile();
    CacheIndexFile(const CacheIndexFile&) = delete;
    CacheIndexFile& operator=(const CacheIndexFile&) = delete;

    // Opens the file and reads it. False, without throwing, when the file
    // cannot be opened; may be retried.
    bool OpenCacheIndex(const std::string& path);
    // The next line without its line end, of any length; false at the end.
    // A read error is thrown after the lines read before it.
    bool ReadIndexLine(std::string& line);
    // The same, without a copy: valid until the file is opened or created again.
    bool ReadIndexLine(std::string_view& line);
    // The encoding the file's mark names; none when a read error came
    // before the mark could be told.
    std::optional<IndexEncoding> Encoding() const;
    // False when reading stopped at text that does not decode.
    bool Decodes() const { return decodes_; }
    // False when the file kept changing while it was read.
    bool Settled() const { return settled_; }
    // The version read, when it was read whole and stood still.
    std::optional<FileStamp> SettledStamp() const;

    // Takes the file from every other program until closed, and reads it as
    // it is now: ReadIndexLine gives its lines.
    void CreateCacheIndex(const std::string& path);
    // Before writing: a replaced file without a single byte is written in
    // `encoding` (if known); false when the replaced file's text is not of its form.
    bool AdoptEncodingWhenEmpty(std::optional<IndexEncoding> encoding);
    void WriteIndexText(std::string_view text);
    // The line "key=name" and its line end.
    void WriteIndexEntry(std::string_view key, std::string_view name);
    // After writing: flushes and puts the new file in place of the old one,
    // unless the old one changed since it was read: false then, and nothing
    // was written. The file counts as closed afterwards, whatever happened.
    bool CloseCacheIndex();

  private:
    // Reads the whole file into raw_ (what there was before a read error)
    // and the stamps around the read: true when it stood still.
    bool ReadSnapshot(InputFile& file);
    // Turns raw_ into the text lines are read from.
    void Decode();
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
    bool empty_ = true;
    bool encodingKnown_ = true;
    bool decodes_ = true;
    bool settled_ = true;
    bool readFailed_ = false;
    bool failureThrown_ = false;
    // The stamp of the version read; none when there was no file.
    std::optional<FileStamp> readStamp_;
    bool markWritten_ = false;
    std::string raw_;
    std::string text_;
    std::size_t textPos_ = 0;
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
