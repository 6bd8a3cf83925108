#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "base/file_time.h"

struct CacheFileInfo {
    std::uint64_t size = 0;
    FileTime created = 0;
};

// What the system answers about one cache file: its facts when it opens,
// nothing when it does not. Or the system could not ask at all (it ran short
// of file handles or memory): then `unasked` holds that error number, and
// the file may well be there.
struct CacheFileAnswer {
    std::optional<CacheFileInfo> info;
    int unasked = 0;
};

// A file open for reading, closed when destroyed.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes: the count read, 0 at the end, -1 on failure
    // (every read failure of the index is reported alike).
    virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
};

// A new file written beside the one it replaces. It takes the old file's
// place only through Commit; destroyed without it, it leaves no trace.
class ReplacementFile {
  public:
    virtual ~ReplacementFile() = default;
    // The file being replaced, as it is now, read under the replacement's
    // exclusive hold on it: as InputFile::Read; 0 at once when there was none.
    virtual std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) = 0;
    // 0, or the system error number.
    virtual int Write(const char* data, std::size_t size) = 0;
    // Flushes to disk and replaces the target in one step: 0, or the system
    // error number, in which case the target is as it was before.
    virtual int Commit() = 0;
};

// The seam to the operating system's files. Error numbers are the system's own.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Whether files are named by characters in UTF-8 (Windows, through its
    // wide functions) rather than by bytes (Linux): then the names of an
    // unmarked index are read as text (base/windows_1252.h) before they
    // reach the system.
    virtual bool TakesUtf8Names() const { return false; }

    // Opens an existing regular file for reading (others may read it too),
    // takes its size and creation time and closes it; no facts if it cannot
    // be opened for reasons of its own.
    virtual CacheFileAnswer QueryCacheFile(const std::string& path) = 0;

    // QueryCacheFile for each of `names` in `folder` (a path ending in a
    // separator), answered in the order asked. A system may query several
    // files at once.
    virtual std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                         const std::vector<std::string>& names) {
        std::vector<CacheFileAnswer> answers;
        answers.reserve(names.size());
        for (const std::string& name : names) {
            answers.push_back(QueryCacheFile(folder + name));
        }
        return answers;
    }

    // Opens an existing file for reading, not shared with other programs.
    // Null on failure.
    virtual std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) = 0;

    // Starts a replacement for `path`, holding an existing one open for
    // reading and for no other program; null with `error` set on failure, and
    // a read-only target is refused.
    virtual std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                               int& error) = 0;

    // Moves a file, across file systems too, never over an existing one:
    // 0, or the system error number.
    virtual int MoveWithoutReplacing(const std::string& from, const std::string& to) = 0;

    // Removes a file; a read-only file is refused. 0, or the system error number.
    virtual int RemoveFile(const std::string& path) = 0;

    // The name of the existing entry of folder `parent` that matches `name`
    // as the platform's own lookup would; `name` itself when there is none.
    virtual std::string MatchFolderName(const std::string& parent, const std::string& name) = 0;
};

// The files of the system this program runs on.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

// Which of the cache index's failure causes a system error number stands for.
FileErrorCause FileErrorCauseOf(int systemError);

// The system error number of a name that is not valid for a file.
int InvalidNameError();
