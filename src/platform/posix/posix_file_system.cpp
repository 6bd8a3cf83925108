#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <time.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/open_when_free.h"
#include "platform/path_separator.h"
#include "platform/posix/regular_file.h"
#include "platform/posix/unique_fd.h"
#include "platform/spread_queries.h"

static_assert(kPathBufferSize == PATH_MAX, "the game folder buffer holds any Linux path");

namespace {

// Queries that keep the processor busy run on as many threads as there are
// cores. Queries that leave cores idle, waiting for the disk, run on this
// many, for a disk answers several opens at once: the first batch of a
// cold cache reads the folder's blocks, and takes half as long on eight
// threads as on two.
constexpr unsigned kQueryThreadsForADisk = 8;

constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

FileTime FileTimeFromTimestamp(std::int64_t seconds, std::uint32_t nanoseconds) {
    if (seconds < -kSecondsFrom1601To1970) {
        return 0;
    }
    const auto since1601 = static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970);
    if (since1601 > kLatestShownFileTime / 10'000'000) {
        return kLatestShownFileTime;
    }
    return std::min(since1601 * 10'000'000 + nanoseconds / 100, kLatestShownFileTime);
}

// The birth time where the file system keeps one, unless the modification
// time is earlier (content copied with its times kept).
FileTime CreationTime(const struct statx& info) {
    const FileTime modified = FileTimeFromTimestamp(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    if ((info.stx_mask & STATX_BTIME) == 0 ||
        (info.stx_btime.tv_sec == 0 && info.stx_btime.tv_nsec == 0)) {
        return modified;
    }
    return std::min(modified, FileTimeFromTimestamp(info.stx_btime.tv_sec, info.stx_btime.tv_nsec));
}

// Read-only as Windows means it: no write permission, whoever asks.
bool IsReadOnly(const struct stat& info, const std::string& path) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

// The system ran short of what any query needs; it says nothing about the
// file. (EAGAIN is not one: open gives it for a file another program holds a
// lease on, which is left out as a file held for writing is.)
bool IsShortage(int error) {
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

std::ptrdiff_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = read(fd, buffer, size);
        if (count >= 0) {
            return count;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

// The processor time all threads of this process took so far.
std::chrono::nanoseconds ProcessCpuTime() {
    struct timespec time {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

// The answer for a query that failed with `error`: the file is not there,
// unless the system could not ask.
CacheFileAnswer FailedQuery(int error) {
    return IsShortage(error) ? CacheFileAnswer{std::nullopt, error} : CacheFileAnswer{};
}

int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

std::uint64_t Nanoseconds(const struct timespec& time) {
    return static_cast<std::uint64_t>(time.tv_sec) * 1'000'000'000u +
           static_cast<std::uint64_t>(time.tv_nsec);
}

FileStamp StampOf(const struct stat& info) {
    FileStamp stamp{static_cast<std::uint64_t>(info.st_dev),
                    static_cast<std::uint64_t>(info.st_ino),
                    static_cast<std::uint64_t>(info.st_size), Nanoseconds(info.st_mtim),
                    Nanoseconds(info.st_ctim)};
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::uint64_t nowNs = Nanoseconds(now);
    stamp.sinceWrite = std::chrono::nanoseconds(
        nowNs > stamp.modified ? static_cast<std::int64_t>(nowNs - stamp.modified) : 0);
    return stamp;
}

// Whether another program has the file open for writing. A read lease is
// refused then, to a writer under Wine too, for as long as it holds the file
// open: through a whole rewrite, pauses and all. Where no lease can be had
// (another user's file, a file system without leases) nothing is known.
bool OpenForWritingElsewhere(int fd) {
    // A writer opening the file while we hold the lease is told by a signal:
    // SIGURG is ignored unless asked for, the default SIGIO would end us.
    if (fcntl(fd, F_SETSIG, SIGURG) != 0) {
        return false;
    }
    if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN;
}

// The stamp of a file open for reading; one that another program is
// writing counts as written just now, however long that program paused.
bool StampOpenFile(int fd, FileStamp& stamp) {
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return false;
    }
    stamp = StampOf(info);
    if (OpenForWritingElsewhere(fd)) {
        stamp.sinceWrite = {};
    }
    return true;
}

// A regular file opened for reading and locked against other readers that
// lock; errno tells why not.
UniqueFd OpenLocked(const char* path) {
    UniqueFd fd = OpenRegularForReading(path);
    if (fd && flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        fd.reset();
        errno = error;
    }
    return fd;
}

UniqueFd OpenLockedWhenFree(const char* path) {
    return OpenWhenFree([path] { return OpenLocked(path); }, [] { return errno == EWOULDBLOCK; });
}

class PosixInputFile final : public InputFile {
  public:
    explicit PosixInputFile(UniqueFd fd) : fd_(std::move(fd)) {}

    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        return ReadSome(fd_.get(), buffer, size);
    }

    bool Stamp(FileStamp& stamp) override { return StampOpenFile(fd_.get(), stamp); }

  private:
    UniqueFd fd_;
};

class PosixReplacementFile final : public ReplacementFile {
  public:
    PosixReplacementFile(UniqueFd fd, UniqueFd targetLock, std::string tempPath, std::string target)
        : fd_(std::move(fd)),
          targetLock_(std::move(targetLock)),
          tempPath_(std::move(tempPath)),
          target_(std::move(target)) {}

    ~PosixReplacementFile() override {
        if (!committed_) {
            fd_.reset();
            unlink(tempPath_.c_str());
        }
    }

    std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) override {
        return targetLock_ ? ReadSome(targetLock_.get(), buffer, size) : 0;
    }

    bool OriginalStamp(FileStamp& stamp) override {
        return targetLock_ && StampOpenFile(targetLock_.get(), stamp);
    }

    int Write(const char* data, std::size_t size) override {
        return WriteAll(fd_.get(), data, size);
    }

    int Commit(const std::optional<FileStamp>& read, FileStamp& written) override {
        struct stat info {};
        if (fsync(fd_.get()) != 0 || fstat(fd_.get(), &info) != 0) {
            return errno;
        }
        written = StampOf(info);
        if (const int closed = fd_.close(); closed != 0) {
            return closed;
        }
        // The new content is on disk before it takes the old one's place, so
        // whatever a crash keeps is one whole file or the other. The game
        // does not see our lock: it may have written since the read, and
        // then this content must not replace what it wrote.
        if (!read) {
            return PlaceWhereNoneIs();
        }
        struct stat now {};
        if (stat(target_.c_str(), &now) != 0) {
            return errno == ENOENT ? kTargetChanged : errno;
        }
        if (!StampOf(now).SameVersion(*read)) {
            return kTargetChanged;
        }
        if (rename(tempPath_.c_str(), target_.c_str()) != 0) {
            return errno;
        }
        committed_ = true;
        return 0;
    }

  private:
    // There was no file to replace: one that appeared since is not ours to replace.
    int PlaceWhereNoneIs() {
        if (renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) !=
            0) {
            if (errno == EEXIST) {
                return kTargetChanged;
            }
            if (errno != EINVAL && errno != ENOSYS) {
                return errno;
            }
            // No RENAME_NOREPLACE here: a hard link fails on an existing name too.
            if (link(tempPath_.c_str(), target_.c_str()) != 0) {
                return errno == EEXIST ? kTargetChanged : errno;
            }
            unlink(tempPath_.c_str());
        }
        committed_ = true;
        return 0;
    }

    UniqueFd fd_;
    UniqueFd targetLock_;
    std::string tempPath_;
    std::string target_;
    bool committed_ = false;
};

// Copies into a file created exclusively, then removes the source. A failure
// removes the partial copy and leaves the source where it was.
int CopyThenRemove(const std::string& from, const std::string& to) {
    // Not blocking: a FIFO put in a cache file's place must not hang the move.
    UniqueFd source(open(from.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!source) {
        return errno;
    }
    struct stat info {};
    if (fstat(source.get(), &info) != 0) {
        return errno;
    }
    if (!S_ISREG(info.st_mode)) {
        return EISDIR;
    }
    if (fcntl(source.get(), F_SETFL, fcntl(source.get(), F_GETFL) & ~O_NONBLOCK) != 0) {
        return errno;
    }
    UniqueFd target(
        open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777));
    if (!target) {
        return errno;
    }
    auto fail = [&](int error) {
        target.reset();
        unlink(to.c_str());
        return error;
    };
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t count = read(source.get(), buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        if (count == 0) {
            break;
        }
        if (const int error =
                WriteAll(target.get(), buffer.data(), static_cast<std::size_t>(count))) {
            return fail(error);
        }
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    futimens(target.get(), times);
    if (fsync(target.get()) != 0) {
        return fail(errno);
    }
    if (const int closed = target.close(); closed != 0) {
        return fail(closed);
    }
    if (unlink(from.c_str()) != 0) {
        const int error = errno;
        unlink(to.c_str());
        return error;
    }
    return 0;
}

}  // namespace

CacheFileAnswer PosixFileSystem::QueryCacheFile(const std::string& path) {
    const CacheFileAnswer answer = QueryAt(AT_FDCWD, path.c_str());
    // A shortage may pass as other programs let go of handles or memory:
    // asked once more before the file counts as one the system could not ask about.
    return answer.unasked != 0 ? QueryAt(AT_FDCWD, path.c_str()) : answer;
}

std::vector<CacheFileAnswer> PosixFileSystem::QueryCacheFiles(
    const std::string& folder, const std::vector<std::string>& names,
    const std::function<void()>& alongside) {
    // Each name is then looked up in the folder alone, not along its whole path.
    const UniqueFd dir(
        open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        return FileSystem::QueryCacheFiles(folder, names, alongside);
    }
    const unsigned cores =
        std::clamp(std::thread::hardware_concurrency(), 1u, kQueryThreadsForADisk);
    const unsigned threads = waitedForDisk_ ? kQueryThreadsForADisk : cores;
    const std::chrono::nanoseconds cpuBefore = ProcessCpuTime();
    const auto start = std::chrono::steady_clock::now();
    std::vector<CacheFileAnswer> answers = SpreadQueries(
        names.size(), [&](std::size_t i) { return QueryAt(dir.get(), names[i].c_str()); },
        alongside, threads, threads);
    // Judged where there was work for every core: cores idle a quarter of
    // the time waited for the disk.
    if (names.size() >= cores * kQuerySlice) {
        const std::chrono::nanoseconds cpu = ProcessCpuTime() - cpuBefore;
        waitedForDisk_ = cpu * 4 < (std::chrono::steady_clock::now() - start) * cores * 3;
    }
    return answers;
}

CacheFileAnswer PosixFileSystem::QueryAt(int folder, const char* name) const {
    // Without blocking on a FIFO or a device; one query tells the type too.
    const UniqueFd fd(openat(folder, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        return FailedQuery(errno);
    }
    struct statx info {};
    if (statx_(fd.get(), "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME,
               &info) == 0) {
        return S_ISREG(info.stx_mode)
                   ? CacheFileAnswer{CacheFileInfo{info.stx_size, CreationTime(info)}}
                   : CacheFileAnswer{};
    }
    if (errno != ENOSYS && errno != EPERM) {
        return FailedQuery(errno);
    }
    // Old kernels and some sandboxes have no statx: the modification time stands in.
    struct stat plain {};
    if (fstat(fd.get(), &plain) != 0) {
        return FailedQuery(errno);
    }
    if (!S_ISREG(plain.st_mode)) {
        return {};
    }
    return CacheFileAnswer{
        CacheFileInfo{static_cast<std::uint64_t>(plain.st_size),
                      FileTimeFromTimestamp(plain.st_mtim.tv_sec,
                                            static_cast<std::uint32_t>(plain.st_mtim.tv_nsec))}};
}

std::unique_ptr<InputFile> PosixFileSystem::OpenExclusiveForReading(const std::string& path) {
    UniqueFd fd = OpenLockedWhenFree(path.c_str());
    if (!fd) {
        return nullptr;
    }
    return std::make_unique<PosixInputFile>(std::move(fd));
}

std::unique_ptr<ReplacementFile> PosixFileSystem::CreateReplacement(const std::string& path,
                                                                    int& error) {
    mode_t mode = 0644;
    UniqueFd targetLock;
    struct stat target {};
    if (stat(path.c_str(), &target) == 0) {
        if (!S_ISREG(target.st_mode)) {
            error = S_ISDIR(target.st_mode) ? EISDIR : EACCES;
            return nullptr;
        }
        if (IsReadOnly(target, path)) {
            error = EACCES;
            return nullptr;
        }
        mode = target.st_mode & 07777;
        // Held, and read, until the new file takes its place.
        targetLock = OpenLockedWhenFree(path.c_str());
        if (!targetLock) {
            error = errno == EWOULDBLOCK ? ETXTBSY : errno;
            return nullptr;
        }
    } else if (errno != ENOENT) {
        error = errno;
        return nullptr;
    }
    // Named as the game's own temporary files, which it removes when it
    // starts: a crash in the middle leaves nothing that outlives that.
    constexpr int kSuffixLength = 4;
    std::string tempPath = path + ".XXXXXX.tmp";
    UniqueFd fd(mkostemps(tempPath.data(), kSuffixLength, O_CLOEXEC));
    if (!fd) {
        error = errno;
        return nullptr;
    }
    if (fchmod(fd.get(), mode) != 0) {
        // Left at mkstemp's 0600 the new index would lock others out.
        error = errno;
        fd.reset();
        unlink(tempPath.c_str());
        return nullptr;
    }
    if (targetLock && geteuid() == 0) {
        // Written as root for the player: the file stays the player's.
        [[maybe_unused]] const int ignored = fchown(fd.get(), target.st_uid, target.st_gid);
    }
    return std::make_unique<PosixReplacementFile>(std::move(fd), std::move(targetLock),
                                                  std::move(tempPath), path);
}

int PosixFileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    int error = errno;
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
        // No RENAME_NOREPLACE here: a hard link fails on an existing name too.
        if (link(from.c_str(), to.c_str()) == 0) {
            if (unlink(from.c_str()) == 0) {
                return 0;
            }
            // Reported as not moved, so it must not stay in both places.
            error = errno;
            unlink(to.c_str());
            return error;
        }
        error = errno;
        if (error != EPERM && error != ENOTSUP && error != EXDEV) {
            return error;
        }
        error = EXDEV;
    }
    return error == EXDEV ? CopyThenRemove(from, to) : error;
}

int PosixFileSystem::RemoveFile(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return errno;
    }
    if (S_ISDIR(info.st_mode) || (!S_ISLNK(info.st_mode) && IsReadOnly(info, path))) {
        return EACCES;
    }
    return unlink(path.c_str()) == 0 ? 0 : errno;
}

std::string PosixFileSystem::MatchFolderName(const std::string& parent, const std::string& name) {
    DIR* dir = opendir(parent.empty() ? "." : parent.c_str());
    if (dir == nullptr) {
        return name;
    }
    std::vector<std::string> matches;
    while (const dirent* entry = readdir(dir)) {
        if (name == entry->d_name) {
            closedir(dir);
            return name;
        }
        if (strcasecmp(name.c_str(), entry->d_name) == 0) {
            matches.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    if (matches.empty()) {
        return name;
    }
    // Several spellings: the same choice on every run.
    return *std::min_element(matches.begin(), matches.end());
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

FileErrorCause FileErrorCauseOf(int error) {
    switch (error) {
        case 0:
            return FileErrorCause::None;
        case EBADF:
            return FileErrorCause::FileNotFound;
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            return FileErrorCause::BadPath;
        case EMFILE:
        case ENFILE:
            return FileErrorCause::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EEXIST:
        case EISDIR:
            return FileErrorCause::AccessDenied;
        case ENOEXEC:
            return FileErrorCause::InvalidFile;
        case EBUSY:
        case ENOTEMPTY:
            return FileErrorCause::RemoveCurrentDir;
        case ESPIPE:
            return FileErrorCause::BadSeek;
        case EIO:
        case ENXIO:
        case ENODEV:
            return FileErrorCause::HardIO;
        case ETXTBSY:
        case EWOULDBLOCK:
            return FileErrorCause::SharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileErrorCause::LockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileErrorCause::DiskFull;
        default:
            return FileErrorCause::Generic;
    }
}

int InvalidNameError() {
    return EINVAL;
}
