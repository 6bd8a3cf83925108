#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
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

// What tells one version of a file from the next: which file it is, its
// size and its change times, in the system's own units. The same stamp
// before and after a read: nobody wrote to the file meanwhile.
struct FileStamp {
    std::uint64_t volume = 0;
    std::uint64_t id = 0;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    std::uint64_t changed = 0;
    // How long before the stamp was taken the file was last written; no
    // part of the comparison.
    std::chrono::nanoseconds sinceWrite{0};

    bool SameVersion(const FileStamp& other) const {
        return volume == other.volume && id == other.id && size == other.size &&
               modified == other.modified && changed == other.changed;
    }
};

// A file open for reading, closed when destroyed.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes: the count read, 0 at the end, -1 on failure
    // (every read failure of the index is reported alike).
    virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
    // The open file's stamp now; false when the system cannot tell.
    virtual bool Stamp(FileStamp& stamp) = 0;
};

// Commit's answer when the target is no longer the file that was read.
constexpr int kTargetChanged = -1;

// A new file written beside the one it replaces. It takes the old file's
// place only through Commit; destroyed without it, it leaves no trace.
class ReplacementFile {
  public:
    virtual ~ReplacementFile() = default;
    // The file being replaced, as it is now, read under the replacement's
    // hold on it: as InputFile::Read; 0 at once when there was none.
    virtual std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) = 0;
    // The stamp of the file being replaced; false when there was none, or
    // the system cannot tell.
    virtual bool OriginalStamp(FileStamp& stamp) = 0;
    // 0, or the system error number.
    virtual int Write(const char* data, std::size_t size) = 0;
    // Flushes to disk, then, if the target is still the version `read`
    // (still absent, without one), replaces it in one step: 0;
    // kTargetChanged, or the system error number, and the target is as it
    // was. `written` gets the new file's stamp.
    virtual int Commit(const std::optional<FileStamp>& read, FileStamp& written) = 0;
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
    // files at once; then this thread runs `alongside` (if any) while other
    // threads start on the queries, else it runs it first.
    virtual std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                         const std::vector<std::string>& names,
                                                         const std::function<void()>& alongside) {
        if (alongside) {
            alongside();
        }
        std::vector<CacheFileAnswer> answers;
        answers.reserve(names.size());
        for (const std::string& name : names) {
            answers.push_back(QueryCacheFile(folder + name));
        }
        return answers;
    }
    std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                 const std::vector<std::string>& names) {
        return QueryCacheFiles(folder, names, nullptr);
    }

    // Opens an existing file for reading, not shared with other programs;
    // one that another program holds is waited for a moment. Null on failure.
    virtual std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) = 0;

    // Starts a replacement for `path`, holding an existing one open for
    // reading and for no other program (waited for a moment while another
    // holds it); null with `error` set on failure, and a read-only target is
    // refused.
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

    // The file this program itself last put in place, as it stood then: a
    // read that finds it so need not wait for a writer to settle.
    void NoteOwnWrite(const std::string& path, const FileStamp& stamp) {
        ownPath_ = path;
        ownStamp_ = stamp;
    }
    bool IsOwnWrite(const std::string& path, const FileStamp& stamp) const {
        // Renaming it into place changed its status time, not its content.
        FileStamp written = ownStamp_;
        written.changed = stamp.changed;
        return !ownPath_.empty() && path == ownPath_ && stamp.SameVersion(written);
    }

  private:
    std::string ownPath_;
    FileStamp ownStamp_;
};

// The files of the system this program runs on.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

// Which of the cache index's failure causes a system error number stands for.
FileErrorCause FileErrorCauseOf(int systemError);

// The system error number of a name that is not valid for a file.
int InvalidNameError();
