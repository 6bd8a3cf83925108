// The POSIX file layer against what the kernel really does: other file
// systems, full disks, FIFOs and times that a plain folder cannot show.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/file_error.h"
#include "base/file_time.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "ops/compact.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/unique_fd.h"
#include "posix/in_child.h"
#include "support/list_rows.h"
#include "support/temp_game.h"

namespace fs = std::filesystem;

namespace {

// A small tmpfs mounted over a folder for the length of a test; root only.
class TmpfsMount {
  public:
    TmpfsMount(const fs::path& where, const std::string& size) : where_(where) {
        fs::create_directories(where);
        const std::string command =
            "mount -t tmpfs -o size=" + size + " vorpane-test '" + where.string() + "' 2>/dev/null";
        mounted_ = geteuid() == 0 && std::system(command.c_str()) == 0;
    }
    ~TmpfsMount() {
        if (mounted_) {
            std::system(("umount -l '" + where_.string() + "'").c_str());
        }
    }
    bool Mounted() const { return mounted_; }

  private:
    fs::path where_;
    bool mounted_ = false;
};

#define REQUIRE_MOUNT(mount)                                                                     \
    if (!(mount).Mounted()) {                                                                    \
        GTEST_SKIP() << "needs root (or a system that lets it mount a tmpfs) to test this case"; \
    }

void SetTimes(const fs::path& path, long long seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class PosixFiles : public ::testing::Test {
  protected:
    // The creation time the listing shows for a file.
    std::string Shown(const fs::path& path) {
        std::string text;
        AppendTimeStamp(text, files.QueryCacheFile(path.string()).info->created);
        return text;
    }

    TempGame game;
    PosixFileSystem files;
};

TEST_F(PosixFiles, MovesAcrossFileSystemsWithoutReplacingNorLeavingAPartialCopy) {
    TmpfsMount other(game.Root() / "Maps", "64k");
    REQUIRE_MOUNT(other);
    const fs::path source = game.CacheDir() / "K.uxx";
    const std::string target = (game.Root() / "Maps" / "Face.unr").string();
    WriteWholeFile(source, "map content");
    SetTimes(source, 1'000'000'000);
    EXPECT_EQ(files.MoveWithoutReplacing(source.string(), target), 0);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(ReadWholeFile(target), "map content");
    // The content keeps its time, so it still shows when it came.
    EXPECT_EQ(Shown(target), "2001-09-09 01:46:40.000");

    WriteWholeFile(source, "newer");
    EXPECT_EQ(files.MoveWithoutReplacing(source.string(), target), EEXIST);
    EXPECT_EQ(ReadWholeFile(source), "newer");
    EXPECT_EQ(ReadWholeFile(target), "map content");

    WriteWholeFile(source, std::string(512 * 1024, 'x'));
    const std::string big = (game.Root() / "Maps" / "Big.unr").string();
    EXPECT_EQ(files.MoveWithoutReplacing(source.string(), big), ENOSPC);
    EXPECT_EQ(fs::file_size(source), 512u * 1024u);
    EXPECT_FALSE(fs::exists(big));
}

TEST_F(PosixFiles, OnlyRegularFilesAreCacheFiles) {
    const fs::path fifo = game.CacheDir() / "FIFO.uxx";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // Another program's lease makes open answer EAGAIN: left out, as a file
    // held for writing is, not taken for a shortage.
    const fs::path leased = game.CacheDir() / "LEASE.uxx";
    WriteWholeFile(leased, "x");
    const auto oldHandler = std::signal(SIGIO, SIG_IGN);
    const int lease = open(leased.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(fcntl(lease, F_SETLEASE, F_WRLCK), 0) << std::strerror(errno);
    // A FIFO would block until a writer came if opened the ordinary way, and
    // a device such as /dev/zero would never end.
    const auto refused = [&] {
        const CacheFileAnswer fifoAnswer = files.QueryCacheFile(fifo.string());
        const CacheFileAnswer leaseAnswer = files.QueryCacheFile(leased.string());
        return !fifoAnswer.info && fifoAnswer.unasked == 0 && !leaseAnswer.info &&
               leaseAnswer.unasked == 0 && !files.QueryCacheFile(game.CacheDir().string()).info &&
               !files.OpenExclusiveForReading(fifo.string()) &&
               !files.OpenExclusiveForReading("/dev/zero");
    };
    EXPECT_EQ(InChild([&] { return std::string(refused() ? "refused" : "taken"); }, 5), "refused");
    close(lease);
    std::signal(SIGIO, oldHandler);
    // Nor moved to another file system by copying.
    TmpfsMount other(game.Root() / "Maps", "64k");
    REQUIRE_MOUNT(other);
    EXPECT_NE(files.MoveWithoutReplacing(fifo.string(), (game.Root() / "Maps" / "F").string()), 0);
}

TEST_F(PosixFiles, CreationTimeIsTheEarlierOfBirthAndModification) {
    const fs::path path = game.CacheDir() / "K.uxx";
    WriteWholeFile(path, "x");
    SetTimes(path, 997'598'148);
    EXPECT_EQ(Shown(path), "2001-08-12 06:35:48.000");
    // A modification time in the future does not move the file forward.
    SetTimes(path, 4'102'444'800);  // 2100-01-01
    EXPECT_LT(Shown(path), "2100");

    // Where the system has no statx, the modification time stands in.
    for (const int error : {ENOSYS, EPERM}) {
        static int refusal;
        refusal = error;
        PosixFileSystem noStatx([](int, const char*, int, unsigned, struct statx*) {
            errno = refusal;
            return -1;
        });
        const std::optional<CacheFileInfo> info = noStatx.QueryCacheFile(path.string()).info;
        ASSERT_TRUE(info);
        EXPECT_EQ(info->size, 1u);
        EXPECT_EQ(info->created, 4'102'444'800ULL * 10'000'000 + 116'444'736'000'000'000ULL);
        EXPECT_FALSE(noStatx.QueryCacheFile(game.CacheDir().string()).info);
        EXPECT_EQ(
            noStatx.QueryCacheFiles(game.CacheDir().string() + "/", {"K.uxx"})[0].info->created,
            info->created);
    }
}

TEST_F(PosixFiles, ManyFilesAreAnsweredInTheOrderAskedAsEachAlone) {
    // Enough names that the queries are spread over threads.
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i) {
        names.push_back("K" + std::to_string(i) + ".uxx");
        if (i % 7 != 0) {
            WriteWholeFile(game.CacheDir() / names.back(), std::string(i % 50, 'x'));
        }
    }
    ASSERT_EQ(mkfifo((game.CacheDir() / "K700.uxx").c_str(), 0644), 0);
    const std::string folder = game.CacheDir().string() + "/";
    const auto answer = [](const CacheFileAnswer& a) {
        return a.info ? std::optional(std::pair(a.info->size, a.info->created)) : std::nullopt;
    };
    const std::vector<CacheFileAnswer> answers = files.QueryCacheFiles(folder, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(answer(answers.at(i)), answer(files.QueryCacheFile(folder + names[i])))
            << names[i];
    }
}

// The lowest descriptor number free in this process.
int LowestFreeDescriptor() {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(fd);
    return fd;
}

void LimitDescriptors(int count) {
    struct rlimit limit {};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(count);
    setrlimit(RLIMIT_NOFILE, &limit);
}

TEST_F(PosixFiles, AtTheDescriptorLimitNoPresentFileIsListedAsMissing) {
    std::string index = "[Cache]\n";
    for (int i = 0; i < 2400; ++i) {
        index += "K" + std::to_string(i) + "=Map" + std::to_string(i) + ".unr\n";
        WriteWholeFile(game.CacheDir() / ("K" + std::to_string(i) + ".uxx"), "x");
    }
    game.WriteIndex(index);
    const std::string cacheDir = game.CacheDir().string() + "/";
    const auto refresh = [&](int spareDescriptors) {
        // Once in full first: a sanitizer checking an object's type for the
        // first time needs descriptors of its own.
        CacheIndexFile first(files);
        CacheList firstList;
        if (first.OpenCacheIndex(game.IndexPath().string())) {
            IndexReading reading;
            AddCachedFiles(first, cacheDir, files, firstList, reading);
        }
        first.CloseCacheIndex();
        files.FileSystem::QueryCacheFiles(cacheDir, {"K0.uxx"}, nullptr);
        CacheIndexFile opened(files);
        opened.OpenCacheIndex(game.IndexPath().string());
        LimitDescriptors(LowestFreeDescriptor() + spareDescriptors);
        CacheList list;
        std::string outcome;
        try {
            IndexReading reading;
            AddCachedFiles(opened, cacheDir, files, list, reading);
        } catch (const FileError& error) {
            outcome = error.ReportText();
        }
        return std::to_string(list.Count()) + " " + outcome;
    };
    // One for the folder and one more, which the threads compete for.
    EXPECT_EQ(InChild([&] { return refresh(2); }), "2400 ");
    EXPECT_EQ(
        InChild([&] { return refresh(0); }),
        "0 " + cacheDir + "K0.uxx could not be opened because there are too many open files.");
}

TEST_F(PosixFiles, TimesBeforeTheFirstShownYearAreClamped) {
    // tmpfs keeps times that most disk file systems cannot.
    TmpfsMount wide(game.Root() / "wide", "1m");
    REQUIRE_MOUNT(wide);
    const fs::path path = game.Root() / "wide" / "K.uxx";
    WriteWholeFile(path, "x");
    SetTimes(path, -12'000'000'000LL);  // the year 1589
    EXPECT_EQ(Shown(path), "1601-01-01 00:00:00.000");
}

// The game under Wine holds cache.ini open for writing through its whole
// rewrite, however long it pauses between pieces.
TEST_F(PosixFiles, AnIndexOpenForWritingCountsAsJustWritten) {
    game.WriteIndex("[Cache]\r\nK=Face.unr\r\n");
    const auto input = files.OpenExclusiveForReading(game.IndexPath().string());
    ASSERT_TRUE(input);
    const auto sinceWrite = [&] {
        FileStamp stamp;
        EXPECT_TRUE(input->Stamp(stamp));
        return stamp.sinceWrite;
    };
    EXPECT_GE(sinceWrite(), std::chrono::milliseconds(500));
    {
        const UniqueFd writer(open(game.IndexPath().c_str(), O_WRONLY | O_CLOEXEC));
        ASSERT_TRUE(writer);
        EXPECT_EQ(sinceWrite().count(), 0);
    }
    EXPECT_GE(sinceWrite(), std::chrono::milliseconds(500));
}

TEST_F(PosixFiles, AFullDiskDuringCompactionKeepsTheOldIndex) {
    TmpfsMount small(game.CacheDir(), "64k");
    REQUIRE_MOUNT(small);
    const std::string before = "[Cache]\r\nK=Face.unr\r\n\r\n";
    game.WriteIndex(before);
    WriteWholeFile(game.CacheDir() / "filler.bin", std::string(48 * 1024, 'f'));
    // Far more lines than the space left takes.
    CacheList list;
    Fill(list, std::vector<CacheListEntry>(4000, {"Map.unr", "M.uxx00000001"}));
    EXPECT_THROW(WriteCompactedIndex(list, IndexReading{}, "", game.IndexPath().string(), 0, files),
                 FileError);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), before);
    EXPECT_EQ(FilesIn(game.CacheDir()), (std::vector<std::string>{"cache.ini", "filler.bin"}));
}

}  // namespace
