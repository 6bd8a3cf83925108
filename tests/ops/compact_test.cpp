#include <gtest/gtest.h>

#include <filesystem>

#include "ops/ops_fixture.h"
#include "support/faulty_file_system.h"

namespace fs = std::filesystem;

namespace {

using Compact = OpsFixture;

// Through the window: extract and delete rebuild the list from the disk, and
// compaction writes back what the list then holds, byte for byte.
TEST_F(Compact, WritesTheListedEntriesInListOrder) {
    MakeGameFolders({"Maps"});
    const std::string odd("N\0\xff\rx.txt", 9);
    Open({{"NEW", "Late.unr", "2003-01-01 00:00:00.000"},
          {"OLD", "a=b", "2001-01-01 00:00:00.000"},
          {"DUP", "Twice.utx", "2002-01-01 00:00:00.000"},
          {"DUP", "Twice.utx", "2002-01-01 00:00:00.000"},
          {"ODD", odd, "2002-03-01 00:00:00.000"},
          {"EX", "Extracted.unr", "2002-06-01 00:00:00.000"},
          {"DEL", "Deleted.umx", "2002-07-01 00:00:00.000"},
          {"EMPTY", "", "2004-01-01 00:00:00.000"}},
         "GONE=Missing.unr\r\n; a comment\r\n[Other]\r\nno equals\r\n=x\r\n");
    view.selected = {RowOf("Extracted.unr")};
    ASSERT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    // With the separator above it, which has no file.
    view.selected = {RowOf("Deleted.umx") - 1, RowOf("Deleted.umx")};
    ASSERT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    const std::vector<std::string> shown = Texts();

    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadWholeFile(game.IndexPath()),
              "[Cache]\r\nOLD=a=b\r\nDUP=Twice.utx\r\nDUP=Twice.utx\r\nODD=" + odd +
                  "\r\nNEW=Late.unr\r\nEMPTY=\r\n\r\n");
    EXPECT_EQ(Texts(), shown);
}

enum class Fault { ReadOnlyIndex, NoCacheFolder, WriteFails, CommitFails };

class CompactFailure : public Compact,
                       public ::testing::WithParamInterface<std::pair<Fault, std::string>> {};

// Every failure leaves cache.ini as it was, no temporary file behind, the
// list as it stood, and the report naming cache.ini.
TEST_P(CompactFailure, KeepsTheOldIndexAndTheList) {
    auto [fault, report] = GetParam();
    FaultyFileSystem faulty(files());
    fileSystem = &faulty;
    Open({{"A", "a.unr", "2001-01-01 00:00:00.000"}, {"B", "b.unr", "2001-01-02 00:00:00.000"}},
         "GONE=Missing.unr\r\n");
    const std::string before = ReadWholeFile(game.IndexPath());
    const std::vector<std::string> shown = Texts();
    // Gone from the disk, but a failed compaction must not rebuild the list.
    fs::remove(CachePath("B"));
    if (fault == Fault::ReadOnlyIndex) {
        fs::permissions(game.IndexPath(), fs::perms::owner_read);
    }
    if (fault == Fault::NoCacheFolder) {
        fs::rename(game.CacheDir(), game.Root() / "CacheAway");
    }
    faulty.goodWriteBytes = fault == Fault::WriteFails ? 10 : -1;
    faulty.commitError = fault == Fault::CommitFails ? 5 : 0;
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    if (fault == Fault::NoCacheFolder) {
        fs::rename(game.Root() / "CacheAway", game.CacheDir());
    }

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, report.replace(report.find("%1"), 2, CacheDir() + "cache.ini"));
    EXPECT_EQ(boxes.shown[0].caption, "vorpane");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_EQ(Texts(), shown);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), before);
    EXPECT_EQ(FilesIn(game.CacheDir()), (std::vector<std::string>{"A.uxx", "cache.ini"}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CompactFailure,
    ::testing::Values(std::pair{Fault::ReadOnlyIndex, std::string("Access to %1 was denied.")},
                      std::pair{Fault::NoCacheFolder, std::string("%1 contains an invalid path.")},
                      std::pair{Fault::WriteFails, std::string("Disk full while accessing %1.")},
                      std::pair{Fault::CommitFails, std::string("Disk full while accessing %1.")}));

}  // namespace
