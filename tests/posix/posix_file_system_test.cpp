// The POSIX file layer against what the kernel really does: other file
// systems, full disks, FIFOs and times that a plain folder cannot show.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "base/file_time.h"
#include "ops/ops_fixture.h"
#include "platform/posix/posix_file_system.h"
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
    TempGame game;
    PosixFileSystem files;
};

TEST_F(PosixFiles, MovesAcrossFileSystemsWithoutReplacing) {
    TmpfsMount other(game.Root() / "Maps", "1m");
    REQUIRE_MOUNT(other);
    const fs::path source = game.CacheDir() / "K.uxx";
    WriteWholeFile(source, "map content");
    SetTimes(source, 1'000'000'000);
    EXPECT_EQ(
        files.MoveWithoutReplacing(source.string(), (game.Root() / "Maps" / "Face.unr").string()),
        0);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "map content");
    // The content keeps its time, so it still shows when it came.
    struct stat info {};
    ASSERT_EQ(stat((game.Root() / "Maps" / "Face.unr").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1'000'000'000);

    WriteWholeFile(source, "newer");
    EXPECT_EQ(
        files.MoveWithoutReplacing(source.string(), (game.Root() / "Maps" / "Face.unr").string()),
        EEXIST);
    EXPECT_EQ(ReadWholeFile(source), "newer");
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "map content");
}

TEST_F(PosixFiles, AFullDestinationLeavesNoPartialCopy) {
    TmpfsMount other(game.Root() / "Maps", "64k");
    REQUIRE_MOUNT(other);
    const fs::path source = game.CacheDir() / "K.uxx";
    WriteWholeFile(source, std::string(512 * 1024, 'x'));
    EXPECT_EQ(
        files.MoveWithoutReplacing(source.string(), (game.Root() / "Maps" / "Big.unr").string()),
        ENOSPC);
    EXPECT_EQ(fs::file_size(source), 512u * 1024u);
    EXPECT_FALSE(fs::exists(game.Root() / "Maps" / "Big.unr"));
}

TEST_F(PosixFiles, ReadOnlyFilesAreNotDeleted) {
    const fs::path path = game.CacheDir() / "K.uxx";
    WriteWholeFile(path, "x");
    chmod(path.c_str(), 0444);
    EXPECT_EQ(files.RemoveFile(path.string()), EACCES);
    EXPECT_TRUE(fs::exists(path));
    chmod(path.c_str(), 0644);
    EXPECT_EQ(files.RemoveFile(path.string()), 0);
    EXPECT_EQ(files.RemoveFile(path.string()), ENOENT);
    EXPECT_EQ(files.RemoveFile(game.CacheDir().string()), EACCES);
}

TEST_F(PosixFiles, OnlyRegularFilesAreCacheFiles) {
    const fs::path fifo = game.CacheDir() / "FIFO.uxx";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // Would block forever if opened the ordinary way.
    EXPECT_FALSE(files.QueryCacheFile(fifo.string()));
    EXPECT_FALSE(files.QueryCacheFile(game.CacheDir().string()));
    EXPECT_FALSE(files.OpenExclusiveForReading(fifo.string()));
}

TEST_F(PosixFiles, CreationTimeIsTheEarlierOfBirthAndModification) {
    const fs::path path = game.CacheDir() / "K.uxx";
    WriteWholeFile(path, "x");
    SetTimes(path, 997'598'148);  // 2001-08-12 06:35:48
    EXPECT_EQ(FormatTimeStamp(files.QueryCacheFile(path.string())->created),
              "2001-08-12 06:35:48.000");

    // A modification time in the future does not move the file forward.
    SetTimes(path, 4'102'444'800);  // 2100-01-01
    const std::string shown = FormatTimeStamp(files.QueryCacheFile(path.string())->created);
    EXPECT_LT(shown, "2100");
}

TEST_F(PosixFiles, TimesOutsideFourDigitYearsAreClamped) {
    // tmpfs keeps times that most disk file systems cannot.
    TmpfsMount wide(game.Root() / "wide", "1m");
    REQUIRE_MOUNT(wide);
    const fs::path path = game.Root() / "wide" / "K.uxx";
    WriteWholeFile(path, "x");
    SetTimes(path, -12'000'000'000LL);  // the year 1589
    EXPECT_EQ(FormatTimeStamp(files.QueryCacheFile(path.string())->created),
              "1601-01-01 00:00:00.000");
}

using PosixCompact = OpsFixture;

TEST_F(PosixCompact, ADestinationOnAReadOnlyFileSystemIsReported) {
    TmpfsMount maps(game.Root() / "Maps", "1m");
    REQUIRE_MOUNT(maps);
    ASSERT_EQ(
        std::system(("mount -o remount,ro '" + (game.Root() / "Maps").string() + "'").c_str()), 0);
    Open({{"K", "Face.unr", "2001-01-01 00:00:00.000", "map"}});
    SelectAllRows();
    ASSERT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(
        boxes.shown[0].text.rfind("Warning: " + std::to_string(EROFS) + "\nCould NOT move\n", 0),
        0u);
    EXPECT_EQ(ReadWholeFile(CachePath("K")), "map");
    EXPECT_FALSE(fs::exists(game.Root() / "Maps" / "Face.unr"));
}

TEST_F(PosixCompact, AFullDiskDuringCompactionKeepsTheOldIndex) {
    // The cache on a tiny file system, nearly full, with a large index to write.
    TmpfsMount small(game.CacheDir(), "256k");
    REQUIRE_MOUNT(small);
    std::vector<Entry> entries;
    for (int i = 0; i < 2000; ++i) {
        entries.push_back({"KEY" + std::to_string(i),
                           "SomeRatherLongMapName-" + std::to_string(i) + ".unr",
                           "2001-01-01 00:00:00.000", ""});
    }
    Open(entries);
    const std::string before = ReadWholeFile(game.IndexPath());
    WriteWholeFile(game.CacheDir() / "filler.bin",
                   std::string(256 * 1024 - before.size() - 16 * 1024, 'f'));

    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Disk full while accessing " + Dialog().CacheIniPath() + ".");
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), before);
    std::size_t others = 0;
    for (const auto& entry : fs::directory_iterator(game.CacheDir())) {
        const std::string name = entry.path().filename().string();
        others += name.rfind("cache.ini", 0) == 0 && name != "cache.ini";
    }
    EXPECT_EQ(others, 0u);
}

}  // namespace
