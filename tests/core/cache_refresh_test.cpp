#include <gtest/gtest.h>

#include <filesystem>

#include "platform/path_separator.h"
#include "support/dialog_fixture.h"
#include "support/faulty_file_system.h"
#include "support/system_errors.h"

namespace fs = std::filesystem;

namespace {

using Refresh = DialogFixture;
using Texts_ = std::vector<std::string>;

const std::string kT1 = "2001-08-12 06:35:48.250";
const std::string kT2 = "2001-08-12 07:00:00.000";
const std::string kP1 = kT1 + "    ";
const std::string kP2 = kT2 + "    ";
const std::string kDashes = "----------------";

TEST_F(Refresh, EveryEntryWithAnOpenableFileShowsTimeAndNameWithPathAndSize) {
    game.AddCacheFile("KEYA", 255, kT1);
    game.AddCacheFile("KEYB", 0, kT2);
    game.AddCacheFile("BIG", (std::uintmax_t{1} << 32) + 1, kT2);
    game.AddCacheFile("EMPTY", 1, kT1);
    fs::create_directory(game.CacheDir() / "DIR.uxx");
    // Read in batches: the files of one are asked about while the last is listed.
    game.WriteIndex(
        "no equals sign\r\n=starts with equals\r\n\r\n[Cache]\r\nKEYB=Face.unr\r\nKEYA=a=b\r\n" +
        GoneLines('G', "\n") +
        "MISSING=Gone.unr\r\n[Other]\r\nKEYA=twice\r\nEMPTY=\r\nDIR=Folder.unr\r\nBIG=Huge.umx");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    // Face.unr takes no time, so Huge.umx of the same moment opens a batch too.
    const std::string cache = game.Dir() + kPathSeparator + "Cache" + kPathSeparator;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {kP1, cache + "EMPTY.uxx00000001"},
        {kP1 + "a=b", cache + "KEYA.uxx000000ff"},
        {kP1 + "twice", cache + "KEYA.uxx000000ff"},
        {kP2 + kDashes, ""},
        {kP2 + kDashes, ""},
        {kP2 + "Face.unr", cache + "KEYB.uxx00000000"},
        {kP2 + "Huge.umx", cache + "BIG.uxx00000001"},
    };
    ASSERT_EQ(view.rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(view.rows[i].text, expected[i].first);
        EXPECT_EQ(view.rows[i].record.value_or(""), expected[i].second);
    }
    EXPECT_EQ(view.loads, 1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Refresh, KeysThatCannotNameACacheFileAreLeftOut) {
    fs::create_directory(game.Root() / "Maps");
    WriteWholeFile(game.Root() / "Maps" / "x.uxx", "outside");
    WriteWholeFile(game.Root() / "up.uxx", "outside");
    game.AddCacheFile("..", 1, kT1);
    game.AddCacheFile(".", 1, kT1);
    // The system would read a key with a NUL only up to the NUL.
    WriteWholeFile(game.CacheDir() / "cut", "not this one");
    game.WriteIndex("../up=a.unr\n..\\up=b.unr\n../Maps/x=c.unr\n.=d.unr\n..=e.unr\n" +
                    std::string("cut\0.uxx=f.unr\n", 14));
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_TRUE(view.rows.empty());
}

TEST_F(Refresh, AReadErrorKeepsTheEntriesReadSoFarWithoutSeparators) {
    // Enough lines that the failing second read comes after entries were found.
    game.WriteIndex("A=first.unr\nB=second.unr\n" + std::string(70'000, '#') + "\nC=third.unr\n");
    game.AddCacheFile("A", 0, kT1);
    game.AddCacheFile("B", 0, kT2);
    game.AddCacheFile("C", 0, kT2);
    FaultyFileSystem faulty(files());
    faulty.goodReads = 1;
    fileSystem = &faulty;

    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(Texts(), (Texts_{kP1 + "first.unr", kP2 + "second.unr"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "An unknown error occurred while accessing " + game.IndexPath().string() + ".");
    EXPECT_EQ(boxes.shown[0].caption, "vorpane");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);

    // The index was closed on the way out; every refresh rereads the disk.
    faulty.goodReads = -1;
    fs::remove(game.CacheDir() / "A.uxx");
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    EXPECT_EQ(Texts(), (Texts_{kP2 + kDashes, kP2 + "second.unr", kP2 + "third.unr"}));
}

TEST_F(Refresh, AFileTheSystemCouldNotAskAboutIsReportedNotLeftOut) {
    // B's batch is listed while the next one is asked about.
    game.WriteIndex("A=first.unr\nB=second.unr\n" + GoneLines('H', "\r\n") + "C=third.unr\n");
    game.AddCacheFile("A", 0, kT1);
    game.AddCacheFile("B", 0, kT2);
    game.AddCacheFile("C", 0, kT2);
    const std::string unasked = (game.CacheDir() / "B.uxx").string();
    FaultyFileSystem faulty(files());
    faulty.unaskedPath = unasked;
    faulty.unaskedError = kErrorTooManyOpenFiles;
    fileSystem = &faulty;

    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    // The entries stop before it, as they do before a read error.
    EXPECT_EQ(Texts(), (Texts_{kP1 + "first.unr"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              unasked + " could not be opened because there are too many open files.");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);

    // The lines the list never reached stay in cache.ini.
    EXPECT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\nA=first.unr\r\nB=second.unr\r\n" +
                                                   GoneLines('H', "\r\n") + "C=third.unr\r\n\r\n");
    EXPECT_TRUE(chooser.titles.empty());
}

TEST_F(Refresh, ClosingEmptiesTheListAndTheViewFollows) {
    game.AddCacheFile("A", 0, kT1);
    game.WriteIndex("A=a\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(Run(&CVorpaneDlg::OnAbout), std::nullopt);
    EXPECT_EQ(view.loads, 1);
    EXPECT_EQ(about.shown, 1);
    EXPECT_EQ(Run(&CVorpaneDlg::OnClose), std::nullopt);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.loads, 2);
}

TEST_F(Refresh, ACommandThatMustAskAgainShowsTheEmptiedListBehindTheQuestion) {
    game.AddCacheFile("A", 0, kT1);
    game.WriteIndex("A=a\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    fs::remove(game.IndexPath());
    std::size_t rowsBehind = 1;
    boxes.whenShown = [&] { rowsBehind = view.rows.size(); };
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), 0);
    EXPECT_EQ(boxes.shown.at(0).text, "Could NOT be opened");
    EXPECT_EQ(rowsBehind, 0u);
}

}  // namespace
