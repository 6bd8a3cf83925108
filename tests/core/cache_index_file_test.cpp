#include <gtest/gtest.h>

#include <filesystem>

#include "cache/cache_index_file.h"
#include "base/file_error.h"
#include "support/faulty_file_system.h"
#include "support/temp_game.h"

namespace fs = std::filesystem;

namespace {

class CacheIndexFileTest : public ::testing::Test {
  protected:
    std::vector<std::string> ReadLines(std::string_view bytes) {
        game.WriteIndex(bytes);
        CacheIndexFile index(files);
        EXPECT_TRUE(index.OpenCacheIndex(game.IndexPath().string()));
        std::vector<std::string> lines;
        std::string line;
        while (index.ReadIndexLine(line)) {
            lines.push_back(line);
        }
        return lines;
    }

    // Writes the lines as the compaction does and returns the error, if any.
    std::optional<FileError> WriteIndex(FileSystem& through,
                                        const std::vector<std::string>& texts) {
        try {
            CacheIndexFile index(through);
            index.CreateCacheIndex(game.IndexPath().string());
            for (const std::string& text : texts) {
                index.WriteIndexText(text);
            }
            index.CloseCacheIndex();
        } catch (const FileError& error) {
            return error;
        }
        return std::nullopt;
    }

    TempGame game;
    std::unique_ptr<FileSystem> native = MakeNativeFileSystem();
    FileSystem& files = *native;
};

using Lines = std::vector<std::string>;

TEST_F(CacheIndexFileTest, LineEndsFollowTheTextModeRules) {
    EXPECT_EQ(ReadLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(ReadLines("a\rb\r\n"), (Lines{"a\rb"}));
    EXPECT_EQ(ReadLines("a\r\r\nb\r"), (Lines{"a\r", "b\r"}));
    EXPECT_EQ(ReadLines("\n\r\n\n"), (Lines{"", "", ""}));
    EXPECT_EQ(ReadLines(""), Lines{});
    EXPECT_EQ(ReadLines(std::string("k=a\0b\n", 6)), (Lines{std::string("k=a\0b", 5)}));
}

TEST_F(CacheIndexFileTest, TheFirstEndOfFileMarkEndsTheFile) {
    EXPECT_EQ(ReadLines("a=1\nb=2\x1a\nc=3\n"), (Lines{"a=1", "b=2"}));
    EXPECT_EQ(ReadLines("\x1a"
                        "a=1\n"),
              Lines{});
    EXPECT_EQ(ReadLines("a\r\x1a"), (Lines{"a\r"}));
}

TEST_F(CacheIndexFileTest, LinesOfAnyLengthAcrossReadBoundaries) {
    const std::string longLine(200'000, 'k');
    EXPECT_EQ(ReadLines(longLine + "=x\r\nb=y"), (Lines{longLine + "=x", "b=y"}));
    EXPECT_EQ(ReadLines("b=y\n" + longLine), (Lines{"b=y", longLine}));
    // CR and LF split between two reads still make one line end.
    const std::string first(65535, 'a');
    EXPECT_EQ(ReadLines(first + "\r\nz"), (Lines{first, "z"}));
    const std::string mark(65536, 'm');
    EXPECT_EQ(ReadLines(mark + "\x1a"
                               "after"),
              (Lines{mark}));
}

TEST_F(CacheIndexFileTest, OpeningFailsForAMissingFileAndCanBeRetried) {
    CacheIndexFile index(files);
    EXPECT_FALSE(index.OpenCacheIndex(game.IndexPath().string()));
    EXPECT_FALSE(index.OpenCacheIndex(game.CacheDir().string()));
    game.WriteIndex("a=b\n");
    EXPECT_TRUE(index.OpenCacheIndex(game.IndexPath().string()));
}

TEST_F(CacheIndexFileTest, TheIndexIsNotSharedWhileOpen) {
    game.WriteIndex("a=b\n");
    CacheIndexFile holder(files);
    ASSERT_TRUE(holder.OpenCacheIndex(game.IndexPath().string()));
    CacheIndexFile other(files);
    EXPECT_FALSE(other.OpenCacheIndex(game.IndexPath().string()));
    EXPECT_EQ(WriteIndex(files, {"[Cache]\n"})->Cause(), FileErrorCause::SharingViolation);
    holder.CloseCacheIndex();
    EXPECT_TRUE(other.OpenCacheIndex(game.IndexPath().string()));
}

TEST_F(CacheIndexFileTest, AReadErrorIsAGenericFileError) {
    game.WriteIndex("a=b\n");
    FaultyFileSystem faulty(files);
    faulty.goodReads = 0;
    CacheIndexFile index(faulty);
    ASSERT_TRUE(index.OpenCacheIndex(game.IndexPath().string()));
    std::string line;
    try {
        index.ReadIndexLine(line);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Cause(), FileErrorCause::Generic);
        EXPECT_EQ(error.Path(), game.IndexPath().string());
    }
}

TEST(ParseIndexLine, KeyBeforeTheFirstEqualsSignNameAfterIt) {
    IndexEntry entry;
    ASSERT_TRUE(ParseIndexLine("KEY=a=b", entry));
    EXPECT_EQ(entry.key, "KEY");
    EXPECT_EQ(entry.name, "a=b");
    ASSERT_TRUE(ParseIndexLine(" K = N ", entry));
    EXPECT_EQ(entry.key, " K ");
    EXPECT_EQ(entry.name, " N ");
    ASSERT_TRUE(ParseIndexLine("K=", entry));
    EXPECT_EQ(entry.name, "");
    EXPECT_FALSE(ParseIndexLine("=name", entry));
    EXPECT_FALSE(ParseIndexLine("[Cache]", entry));
    EXPECT_FALSE(ParseIndexLine("", entry));
}

TEST_F(CacheIndexFileTest, WritingEndsEveryLineWithCrLf) {
    game.WriteIndex("old content\n");
    EXPECT_FALSE(WriteIndex(files, {"[Cache]\n", "K1=Face.unr\n", "K2=a=b\n", "\n"}));
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\nK1=Face.unr\r\nK2=a=b\r\n\r\n");
    EXPECT_FALSE(WriteIndex(files, {"[Cache]\n", "\n"}));
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\n\r\n");
    EXPECT_EQ(FilesIn(game.CacheDir()), Lines{"cache.ini"});
}

TEST_F(CacheIndexFileTest, AFailedWriteLeavesTheOldFileAsItWas) {
    const std::string old = "[Cache]\r\nK=Old.unr\r\n";
    game.WriteIndex(old);
    FaultyFileSystem faulty(files);
    faulty.goodWriteBytes = 70'000;
    std::vector<std::string> texts(20'000, "K=Face.unr\n");
    const auto error = WriteIndex(faulty, texts);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Cause(), FileErrorCause::DiskFull);
    EXPECT_EQ(error->Path(), game.IndexPath().string());
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), old);
    EXPECT_EQ(FilesIn(game.CacheDir()), Lines{"cache.ini"});
}

TEST_F(CacheIndexFileTest, AFailedFlushIsADiskFullError) {
    const std::string old = "[Cache]\r\nK=Old.unr\r\n";
    game.WriteIndex(old);
    FaultyFileSystem faulty(files);
    faulty.commitError = EIO;
    const auto error = WriteIndex(faulty, {"[Cache]\n", "\n"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Cause(), FileErrorCause::DiskFull);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), old);
    EXPECT_EQ(FilesIn(game.CacheDir()), Lines{"cache.ini"});
}

TEST_F(CacheIndexFileTest, AReadOnlyIndexIsNotReplaced) {
    const std::string old = "[Cache]\r\nK=Old.unr\r\n";
    game.WriteIndex(old);
    fs::permissions(game.IndexPath(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto error = WriteIndex(files, {"[Cache]\n", "\n"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Cause(), FileErrorCause::AccessDenied);
    EXPECT_EQ(error->ReportText(), "Access to " + game.IndexPath().string() + " was denied.");
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), old);
    EXPECT_EQ(FilesIn(game.CacheDir()), Lines{"cache.ini"});
}

TEST_F(CacheIndexFileTest, AMissingCacheFolderIsAnInvalidPath) {
    fs::remove_all(game.CacheDir());
    const auto error = WriteIndex(files, {"[Cache]\n", "\n"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Cause(), FileErrorCause::BadPath);
    EXPECT_FALSE(fs::exists(game.CacheDir()));
}

#ifndef _WIN32
// POSIX permissions; Windows keeps attributes instead (Win32 platform suite).
TEST_F(CacheIndexFileTest, ANewIndexKeepsTheOldOnesPermissions) {
    game.WriteIndex("x\n");
    fs::permissions(game.IndexPath(),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_FALSE(WriteIndex(files, {"[Cache]\n", "\n"}));
    EXPECT_EQ(fs::status(game.IndexPath()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

}  // namespace
