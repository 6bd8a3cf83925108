#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/file_error.h"
#include "cache/cache_index_file.h"
#include "platform/file_system.h"
#include "support/temp_game.h"
#include "support/utf16.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

class CacheIndexFileTest : public ::testing::Test {
  protected:
    Lines ReadLines(std::string_view bytes) {
        game.WriteIndex(bytes);
        CacheIndexFile index(files);
        EXPECT_TRUE(index.OpenCacheIndex(game.IndexPath().string()));
        Lines lines;
        for (std::string line; index.ReadIndexLine(line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TempGame game;
    std::unique_ptr<FileSystem> native = MakeNativeFileSystem();
    FileSystem& files = *native;
};

TEST_F(CacheIndexFileTest, LinesEndAtCrLfOrLfAndTheFileAtTheFirstEndMark) {
    const std::string longLine(200'000, 'k');
    const std::string chunk(65535, 'a');
    const std::pair<std::string, Lines> rows[] = {
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"a\rb\r\n", {"a\rb"}},
        {"a\r\r\nb\r", {"a\r", "b\r"}},
        {"\n\r\n\n", {"", "", ""}},
        {"", {}},
        {std::string("k=a\0b\n", 6), {std::string("k=a\0b", 5)}},
        {"a=1\nb=2\x1a\nc=3\n", {"a=1", "b=2"}},
        {"\x1a"
         "a=1\n",
         {}},
        {"a\r\x1a", {"a\r"}},
        // Lines of any length, and line ends and marks across read boundaries.
        {longLine + "=x\r\nb=y", {longLine + "=x", "b=y"}},
        {"b=y\n" + longLine, {"b=y", longLine}},
        {chunk + "\r\nz", {chunk, "z"}},
        {chunk + "m\x1a"
                 "after",
         {chunk + "m"}},
        // The first line holds no mark; a character at a read boundary is whole.
        {"\xEF\xBB\xBFk=v", {"k=v"}},
        {Utf16File(std::u16string(32766, u'a') + u"\U0001D11E\r\nz"),
         {std::string(32766, 'a') + "\xF0\x9D\x84\x9E", "z"}},
    };
    for (const auto& [bytes, lines] : rows) {
        EXPECT_EQ(ReadLines(bytes), lines) << bytes.substr(0, 20);
    }
}

TEST_F(CacheIndexFileTest, TheIndexIsNotSharedWhileOpenAndOpeningCanBeRetried) {
    CacheIndexFile holder(files);
    EXPECT_FALSE(holder.OpenCacheIndex(game.IndexPath().string()));
    EXPECT_FALSE(holder.OpenCacheIndex(game.CacheDir().string()));
    game.WriteIndex("a=b\n");
    ASSERT_TRUE(holder.OpenCacheIndex(game.IndexPath().string()));
    CacheIndexFile other(files);
    EXPECT_FALSE(other.OpenCacheIndex(game.IndexPath().string()));
    try {
        other.CreateCacheIndex(game.IndexPath().string());
        ADD_FAILURE() << "an index held open was replaced";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Cause(), FileErrorCause::SharingViolation);
    }
    // Another program's hold of a moment is waited for.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        holder.CloseCacheIndex();
    });
    EXPECT_TRUE(other.OpenCacheIndex(game.IndexPath().string()));
    release.join();
}

TEST(ParseIndexLine, KeyBeforeTheFirstEqualsSignNameAfterIt) {
    const std::tuple<const char*, bool, const char*, const char*> rows[] = {
        {"KEY=a=b", true, "KEY", "a=b"}, {" K = N ", true, " K ", " N "}, {"K=", true, "K", ""},
        {"=name", false, "", ""},        {"[Cache]", false, "", ""},      {"", false, "", ""},
    };
    for (const auto& [line, parsed, key, name] : rows) {
        IndexEntry entry;
        ASSERT_EQ(ParseIndexLine(line, entry), parsed) << line;
        if (parsed) {
            EXPECT_EQ(entry.key, key);
            EXPECT_EQ(entry.name, name);
        }
    }
}

#ifndef _WIN32
// POSIX permissions; Windows keeps attributes instead.
TEST_F(CacheIndexFileTest, ANewIndexKeepsTheOldOnesPermissions) {
    game.WriteIndex("x\n");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(game.IndexPath(), mode);
    CacheIndexFile index(files);
    index.CreateCacheIndex(game.IndexPath().string());
    index.WriteIndexText("[Cache]\n\n");
    index.CloseCacheIndex();
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\n\r\n");
    EXPECT_EQ(fs::status(game.IndexPath()).permissions(), mode);
}
#endif

}  // namespace
