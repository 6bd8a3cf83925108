#include <gtest/gtest.h>

#include <filesystem>

#include "ops/ops_fixture.h"
#include "support/faulty_file_system.h"

namespace fs = std::filesystem;

namespace {

using Compact = OpsFixture;

TEST_F(Compact, WritesTheListedEntriesInListOrder) {
    MakeGameFolders();
    Open({{"NEW", "Late.unr", "2003-01-01 00:00:00.000"},
          {"OLD", "a=b", "2001-01-01 00:00:00.000"},
          {"DUP", "Twice.utx", "2002-01-01 00:00:00.000"},
          {"DUP", "Twice.utx"},
          {"GONE", "Missing.unr"},
          {"EX", "Extracted.unr", "2002-06-01 00:00:00.000"},
          {"DEL", "Deleted.umx", "2002-07-01 00:00:00.000"},
          {"EMPTY", "", "2004-01-01 00:00:00.000"}},
         "; a comment\r\n[Other]\r\nno equals\r\n=x\r\n");
    fs::remove(CachePath("GONE"));
    Dialog().ClearCacheList();
    Dialog().RefreshCacheList();
    Select({"Extracted.unr"});
    ASSERT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    Select({"Deleted.umx"});
    ASSERT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);

    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(
        ReadWholeFile(game.IndexPath()),
        "[Cache]\r\nOLD=a=b\r\nDUP=Twice.utx\r\nDUP=Twice.utx\r\nNEW=Late.unr\r\nEMPTY=\r\n\r\n");
    EXPECT_EQ(FilesIn(game.CacheDir()), (std::vector<std::string>{"DUP.uxx", "EMPTY.uxx", "NEW.uxx",
                                                                  "OLD.uxx", "cache.ini"}));
    // The rebuilt list reads the new file.
    EXPECT_EQ(Names(), (std::vector<std::string>{"a=b", "Twice.utx", "Twice.utx", "Late.unr", ""}));
}

TEST_F(Compact, AnEmptyListLeavesTheHeaderAndAnEmptyLine) {
    Open({}, "GONE=Missing.unr\r\n");
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\n\r\n");
}

// Every failure leaves cache.ini as it was, no temporary file behind, the
// list as it stood, and the report naming cache.ini.
class CompactFailure : public Compact {
  protected:
    void SetUp() override {
        Open({{"A", "a.unr", "2001-01-01 00:00:00.000"}, {"B", "b.unr", "2001-01-02 00:00:00.000"}},
             "GONE=Missing.unr\r\n");
        before = ReadWholeFile(game.IndexPath());
        listBefore = Texts();
        // Gone from the disk, but a failed compaction must not rebuild the list.
        fs::remove(CachePath("B"));
    }

    void ExpectReport(const std::string& text) {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, text);
        EXPECT_EQ(boxes.shown[0].caption, "vorpane");
        EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
        EXPECT_EQ(Texts(), listBefore);
    }

    void ExpectIndexUntouched() {
        EXPECT_EQ(ReadWholeFile(game.IndexPath()), before);
        EXPECT_EQ(FilesIn(game.CacheDir()), (std::vector<std::string>{"A.uxx", "cache.ini"}));
    }

    std::string before;
    std::vector<std::string> listBefore;
};

TEST_F(CompactFailure, AReadOnlyIndexIsNotTouched) {
    fs::permissions(game.IndexPath(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    ExpectReport("Access to " + Dialog().CacheIniPath() + " was denied.");
    ExpectIndexUntouched();
}

TEST_F(CompactFailure, AMissingCacheFolderIsAnInvalidPath) {
    const fs::path moved = game.Root() / "CacheAway";
    fs::rename(game.CacheDir(), moved);
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    ExpectReport(Dialog().CacheIniPath() + " contains an invalid path.");
    EXPECT_FALSE(fs::exists(game.CacheDir()));
    fs::rename(moved, game.CacheDir());
    ExpectIndexUntouched();
}

TEST_F(CompactFailure, AWriteFailingPartWayKeepsTheOldIndex) {
    // Many entries, so that the new file is written in several pieces.
    FaultyFileSystem faulty(files());
    faulty.goodWriteBytes = 10;
    fileSystem = &faulty;
    ReopenDialog();
    registry.SetFolder(game.Dir());
    fs::remove(game.CacheDir() / "B.uxx");
    ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    listBefore = Texts();
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    ExpectReport("Disk full while accessing " + Dialog().CacheIniPath() + ".");
    ExpectIndexUntouched();
}

TEST_F(CompactFailure, AFailedFlushKeepsTheOldIndex) {
    FaultyFileSystem faulty(files());
    faulty.commitError = 5;
    fileSystem = &faulty;
    ReopenDialog();
    ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    listBefore = Texts();
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    ExpectReport("Disk full while accessing " + Dialog().CacheIniPath() + ".");
    ExpectIndexUntouched();
}

}  // namespace
