#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/ascii.h"
#include "platform/open_when_free.h"
#include "platform/spread_queries.h"
#include "platform/win32/path_calls.h"
#include "platform/win32/unique_handle.h"

namespace {

int LastError() {
    return static_cast<int>(GetLastError());
}

FileTime FromFileTime(const FILETIME& time) {
    const FileTime value = (static_cast<FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return std::min(value, kLatestShownFileTime);
}

// Device names such as CON or NUL open as devices in any folder; only files
// on disk count.
bool IsDiskFile(HANDLE file) {
    return GetFileType(file) == FILE_TYPE_DISK;
}

UniqueHandle OpenDiskFileForReading(const std::string& path, DWORD share, DWORD flags) {
    UniqueHandle file(CreateFileIn(path, GENERIC_READ, share, OPEN_EXISTING, flags));
    if (file && !IsDiskFile(file.get())) {
        file.reset();
        SetLastError(ERROR_ACCESS_DENIED);
    }
    return file;
}

// The game holds cache.ini, unshared, while it writes it.
bool HeldByAnother() {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

UniqueHandle OpenIndexWhenFree(const std::string& path, DWORD flags) {
    return OpenWhenFree([&] { return OpenDiskFileForReading(path, 0, flags); }, HeldByAnother);
}

std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool StampOpenFile(HANDLE file, FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        return false;
    }
    stamp = FileStamp{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                      Ticks(info.ftLastWriteTime), 0};
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t nowTicks = Ticks(now);
    // File times count in units of 100 ns.
    stamp.sinceWrite = std::chrono::nanoseconds(
        nowTicks > stamp.modified ? static_cast<std::int64_t>(nowTicks - stamp.modified) * 100 : 0);
    return true;
}

// The system ran short of what any query needs; it says nothing about the file.
bool IsShortage(DWORD error) {
    switch (error) {
        case ERROR_TOO_MANY_OPEN_FILES:
        case ERROR_SHARING_BUFFER_EXCEEDED:
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_NO_SYSTEM_RESOURCES:
        case ERROR_NONPAGED_SYSTEM_RESOURCES:
        case ERROR_PAGED_SYSTEM_RESOURCES:
        case ERROR_WORKING_SET_QUOTA:
        case ERROR_PAGEFILE_QUOTA:
        case ERROR_COMMITMENT_LIMIT:
        case ERROR_NOT_ENOUGH_QUOTA:
            return true;
        default:
            return false;
    }
}

// The answer for a query that just failed: the file is not there, unless
// the system could not ask.
CacheFileAnswer FailedQuery() {
    const DWORD error = GetLastError();
    return IsShortage(error) ? CacheFileAnswer{std::nullopt, static_cast<int>(error)}
                             : CacheFileAnswer{};
}

// Shared for reading only: a file another program is writing (a download
// in progress) does not open, and is left out.
CacheFileAnswer QueryDiskFile(const std::string& path) {
    const UniqueHandle file = OpenDiskFileForReading(path, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL);
    if (!file) {
        return FailedQuery();
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return FailedQuery();
    }
    FILETIME created{};
    if (!GetFileTime(file.get(), &created, nullptr, nullptr)) {
        return FailedQuery();
    }
    return CacheFileAnswer{
        CacheFileInfo{(static_cast<std::uint64_t>(high) << 32) | low, FromFileTime(created)}};
}

// Under Wine a failed open searches the whole folder for the name in any
// case: a few missing files cost more than listing the folder once.
// Nothing unless the listing ran to its end.
std::optional<std::unordered_set<std::string>> ListFolder(const std::string& folder) {
    std::unordered_set<std::string> names;
    const bool whole = ListFolderIn(
        folder, [&names](std::string_view name) { names.insert(LowerAscii(std::string(name))); });
    return whole ? std::optional(std::move(names)) : std::nullopt;
}

// A name the listing can vouch for: ASCII letters, digits, '_', '-' and '.'
// only, as the game's own keys are. Any other may reach a file no listing
// shows under that name (a short 8.3 name, a stream after a colon, case
// beyond ASCII), so it is always opened.
bool ListingDecides(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x80 && (std::isalnum(u) || c == '_' || c == '-' || c == '.');
    });
}

class Win32InputFile final : public InputFile {
  public:
    explicit Win32InputFile(UniqueHandle file) : file_(std::move(file)) {}

    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD count = 0;
        if (!ReadFile(file_.get(), buffer, wanted, &count, nullptr)) {
            return -1;
        }
        return static_cast<std::ptrdiff_t>(count);
    }

    bool Stamp(FileStamp& stamp) override { return StampOpenFile(file_.get(), stamp); }

  private:
    UniqueHandle file_;
};

class Win32ReplacementFile final : public ReplacementFile {
  public:
    Win32ReplacementFile(UniqueHandle file, UniqueHandle targetLock, std::string tempPath,
                         std::string target)
        : file_(std::move(file)),
          targetLock_(std::move(targetLock)),
          tempPath_(std::move(tempPath)),
          target_(std::move(target)) {}

    ~Win32ReplacementFile() override {
        if (!committed_) {
            file_.reset();
            DeleteFileIn(tempPath_);
        }
    }

    std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) override {
        if (!targetLock_) {
            return 0;
        }
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD count = 0;
        if (!ReadFile(targetLock_.get(), buffer, wanted, &count, nullptr)) {
            return -1;
        }
        return static_cast<std::ptrdiff_t>(count);
    }

    bool OriginalStamp(FileStamp& stamp) override {
        return targetLock_ && StampOpenFile(targetLock_.get(), stamp);
    }

    int Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_.get(), data, chunk, &written, nullptr)) {
                return LastError();
            }
            if (written == 0) {
                return ERROR_DISK_FULL;
            }
            data += written;
            size -= written;
        }
        return 0;
    }

    int Commit(const std::optional<FileStamp>& read, FileStamp& written) override {
        if (!FlushFileBuffers(file_.get()) || !StampOpenFile(file_.get(), written)) {
            return LastError();
        }
        if (const int closed = file_.close(); closed != 0) {
            return closed;
        }
        // Wine's writers do not see our share mode: a file changed since
        // the read must not be replaced by what was made of the old one.
        FileStamp now;
        if (read &&
            (!targetLock_ || !StampOpenFile(targetLock_.get(), now) || !now.SameVersion(*read))) {
            return kTargetChanged;
        }
        // The lock kept other programs out while the new content was
        // written; the replace needs the target free.
        targetLock_.reset();
        const bool placed =
            read ? ReplaceFileIn(tempPath_, target_) : MoveFileIn(tempPath_, target_);
        if (!placed) {
            // The game took the file the moment we let go of it, or made
            // one where there was none: it is writing a version of its own.
            const DWORD error = GetLastError();
            return HeldByAnother() || error == ERROR_ACCESS_DENIED ||
                           error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                       ? kTargetChanged
                       : static_cast<int>(error);
        }
        committed_ = true;
        return 0;
    }

  private:
    UniqueHandle file_;
    UniqueHandle targetLock_;
    std::string tempPath_;
    std::string target_;
    bool committed_ = false;
};

// A new file beside `target`, created exclusively under a name no one uses.
UniqueHandle CreateTempBeside(const std::string& target, std::string& tempPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%lx-%x.tmp", GetCurrentProcessId(), counter++);
        tempPath = target + suffix;
        UniqueHandle file(
            CreateFileIn(tempPath, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
        if (file ||
            (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)) {
            return file;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return UniqueHandle();
}

}  // namespace

CacheFileAnswer Win32FileSystem::QueryCacheFile(const std::string& path) {
    const CacheFileAnswer answer = QueryDiskFile(path);
    // A shortage may pass as other programs let go of handles or memory:
    // asked once more before the file counts as one the system could not ask about.
    return answer.unasked != 0 ? QueryDiskFile(path) : answer;
}

std::vector<CacheFileAnswer> Win32FileSystem::QueryCacheFiles(
    const std::string& folder, const std::vector<std::string>& names,
    const std::function<void()>& alongside) {
    if (!listingCurrent_ || listedFolder_ != folder) {
        listing_ = ListFolder(folder);
        listedFolder_ = folder;
        listingCurrent_ = true;
    }
    return SpreadQueries(
        names.size(),
        [&](std::size_t i) {
            if (listing_ && ListingDecides(names[i]) &&
                listing_->count(LowerAscii(names[i])) == 0) {
                return CacheFileAnswer{};
            }
            return QueryDiskFile(folder + names[i]);
        },
        alongside);
}

std::unique_ptr<InputFile> Win32FileSystem::OpenExclusiveForReading(const std::string& path) {
    listingCurrent_ = false;
    UniqueHandle file = OpenIndexWhenFree(path, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<Win32InputFile>(std::move(file));
}

std::unique_ptr<ReplacementFile> Win32FileSystem::CreateReplacement(const std::string& path,
                                                                    int& error) {
    // A compaction asks about the files again: the last refresh's listing is old.
    listingCurrent_ = false;
    DWORD keptAttributes = FILE_ATTRIBUTE_NORMAL;
    UniqueHandle targetLock;
    const DWORD attributes = GetFileAttributesIn(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
            error = ERROR_ACCESS_DENIED;
            return nullptr;
        }
        targetLock = OpenIndexWhenFree(path, FILE_ATTRIBUTE_NORMAL);
        if (!targetLock) {
            error = LastError();
            return nullptr;
        }
        keptAttributes = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = LastError();
        return nullptr;
    }
    std::string tempPath;
    UniqueHandle file = CreateTempBeside(path, tempPath);
    if (!file) {
        error = LastError();
        return nullptr;
    }
    if (keptAttributes != FILE_ATTRIBUTE_NORMAL) {
        SetFileAttributesIn(tempPath, keptAttributes);
    }
    return std::make_unique<Win32ReplacementFile>(std::move(file), std::move(targetLock),
                                                  std::move(tempPath), path);
}

int Win32FileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
    return MoveFileIn(from, to) ? 0 : LastError();
}

int Win32FileSystem::RemoveFile(const std::string& path) {
    return DeleteFileIn(path) ? 0 : LastError();
}

std::string Win32FileSystem::MatchFolderName(const std::string&, const std::string& name) {
    // Windows finds folders without regard to case by itself.
    return name;
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

FileErrorCause FileErrorCauseOf(int error) {
    switch (static_cast<DWORD>(error)) {
        case NO_ERROR:
            return FileErrorCause::None;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_HANDLE:
        case ERROR_NO_MORE_FILES:
        case ERROR_DISK_CHANGE:
            return FileErrorCause::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_SAME_DEVICE:
        case ERROR_WRONG_DISK:
        case ERROR_BAD_NETPATH:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
            return FileErrorCause::BadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
        case ERROR_SHARING_BUFFER_EXCEEDED:
        case ERROR_NO_MORE_SEARCH_HANDLES:
            return FileErrorCause::TooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_ACCESS:
        case ERROR_WRITE_PROTECT:
        case ERROR_WRITE_FAULT:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_FILE_EXISTS:
        case ERROR_CANNOT_MAKE:
        case ERROR_ALREADY_EXISTS:
        case ERROR_BUSY:
            return FileErrorCause::AccessDenied;
        case ERROR_BAD_FORMAT:
        case ERROR_NOT_DOS_DISK:
        case ERROR_BAD_EXE_FORMAT:
            return FileErrorCause::InvalidFile;
        case ERROR_CURRENT_DIRECTORY:
        case ERROR_DIR_NOT_EMPTY:
            return FileErrorCause::RemoveCurrentDir;
        case ERROR_NO_SPOOL_SPACE:
            return FileErrorCause::DirectoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_READ_FAULT:
        case ERROR_BAD_LENGTH:
            return FileErrorCause::BadSeek;
        case ERROR_NOT_READY:
        case ERROR_CRC:
        case ERROR_BAD_UNIT:
        case ERROR_BAD_COMMAND:
        case ERROR_NET_WRITE_FAULT:
        case ERROR_IO_DEVICE:
            return FileErrorCause::HardIO;
        case ERROR_SHARING_VIOLATION:
            return FileErrorCause::SharingViolation;
        case ERROR_LOCK_VIOLATION:
        case ERROR_DRIVE_LOCKED:
        case ERROR_LOCK_FAILED:
            return FileErrorCause::LockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileErrorCause::DiskFull;
        case ERROR_HANDLE_EOF:
            return FileErrorCause::EndOfFile;
        default:
            return FileErrorCause::Generic;
    }
}

int InvalidNameError() {
    return ERROR_INVALID_NAME;
}
