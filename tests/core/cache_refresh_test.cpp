#include <gtest/gtest.h>

#include <filesystem>

#include "platform/path_separator.h"
#include "support/dialog_fixture.h"
#include "support/faulty_file_system.h"

namespace fs = std::filesystem;

namespace {

using Refresh = DialogFixture;
using Texts_ = std::vector<std::string>;

constexpr const char* kT1 = "2001-08-12 06:35:48.250";
constexpr const char* kT2 = "2001-08-12 07:00:00.000";

TEST_F(Refresh, EntriesShowTimeStampAndNameWithPathAndSizeAttached) {
    game.AddCacheFile("KEYA", 255, kT1);
    game.AddCacheFile("KEYB", 0, kT2);
    game.WriteIndex("[Cache]\r\nKEYB=Face.unr\r\nKEYA=a=b\r\n\r\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);

    const CacheList& list = Dialog().List();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(0), std::string(kT1) + "    a=b");
    EXPECT_EQ(list.Text(1), std::string(kT2) + "    ----------------");
    EXPECT_EQ(list.Text(2), std::string(kT2) + "    Face.unr");
    const std::string cache = Dialog().CacheDir();
    EXPECT_EQ(*list.Record(0), cache + "KEYA.uxx000000ff");
    EXPECT_EQ(list.Record(1), nullptr);
    EXPECT_EQ(*list.Record(2), cache + "KEYB.uxx00000000");
    EXPECT_EQ(Dialog().PrefixLen(), 27u);
    EXPECT_EQ(view.texts, Texts());
    EXPECT_EQ(view.loads, 1);
}

TEST_F(Refresh, OnlyEntryLinesWithAnOpenableFileCount) {
    game.AddCacheFile("K", 1, kT1);
    game.AddCacheFile("EMPTY", 1, kT1);
    fs::create_directory(game.CacheDir() / "DIR.uxx");
    game.WriteIndex(
        "no equals sign\n=starts with equals\n\n[Cache]\nMISSING=Gone.unr\nK=One.unr\n"
        "[Other]\nK=Two.unr\nEMPTY=\nDIR=Folder.unr\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    // A key listed twice gives two entries with the same path; an empty name
    // shows the prefix alone.
    EXPECT_EQ(Texts(), (Texts_{std::string(kT1) + "    ", std::string(kT1) + "    One.unr",
                               std::string(kT1) + "    Two.unr"}));
    EXPECT_EQ(*Dialog().List().Record(1), *Dialog().List().Record(2));
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
    EXPECT_EQ(Dialog().List().Count(), 0);
}

TEST_F(Refresh, FilesInOneMillisecondSortByNameIgnoringCase) {
    game.AddCacheFile("A", 0, kT1);
    game.AddCacheFile("B", 0, kT1);
    game.AddCacheFile("C", 0, kT1);
    game.WriteIndex("A=zulu.unr\nB=Alpha.unr\nC=beta.unr\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    const std::string p = std::string(kT1) + "    ";
    // Same stamp, size 0: each later entry opens a batch; the separators
    // stand above the whole group.
    EXPECT_EQ(Texts(), (Texts_{p + "----------------", p + "----------------", p + "Alpha.unr",
                               p + "beta.unr", p + "zulu.unr"}));
}

TEST_F(Refresh, SizesAreTheLowThirtyTwoBits) {
    game.AddCacheFile("BIG", (std::uintmax_t{1} << 32) + 1, kT1);
    game.WriteIndex("BIG=Huge.umx\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(Dialog().List().Count(), 1);
    EXPECT_EQ(Dialog().List().Record(0)->substr(Dialog().List().Record(0)->size() - 8), "00000001");
}

TEST_F(Refresh, AnEmptyIndexGivesAnEmptyList) {
    for (const char* content : {"", "[Cache]\r\n", "[Cache]\r\n\r\n"}) {
        game.WriteIndex(content);
        EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        EXPECT_EQ(Dialog().List().Count(), 0);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Refresh, AReadErrorKeepsTheEntriesReadSoFarWithoutSeparators) {
    // Enough lines that the failing second read comes after entries were found.
    std::string index = "A=first.unr\nB=second.unr\n";
    index += std::string(70'000, '#') + "\nC=third.unr\n";
    game.AddCacheFile("A", 0, kT1);
    game.AddCacheFile("B", 0, kT2);
    game.AddCacheFile("C", 0, kT2);
    game.WriteIndex(index);
    FaultyFileSystem faulty(files());
    faulty.goodReads = 1;
    fileSystem = &faulty;

    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(Texts(),
              (Texts_{std::string(kT1) + "    first.unr", std::string(kT2) + "    second.unr"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "An unknown error occurred while accessing " + Dialog().CacheIniPath() + ".");
    EXPECT_EQ(boxes.shown[0].caption, "vorpane");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    // The window shows what was added.
    EXPECT_EQ(view.texts, Texts());
    // The index was closed on the way out.
    faulty.goodReads = -1;
    Dialog().ClearCacheList();
    EXPECT_EQ(Run(&CVorpaneDlg::RefreshCacheList), std::nullopt);
    EXPECT_EQ(Dialog().List().Count(), 5);
}

TEST_F(Refresh, ClosingFreesTheListAndTheViewFollows) {
    game.AddCacheFile("A", 0, kT1);
    game.AddCacheFile("B", 0, kT2);
    game.WriteIndex("A=a\nB=b\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(Dialog().List().Count(), 3);
    const int loads = view.loads;
    EXPECT_EQ(Run(&CVorpaneDlg::OnClose), std::nullopt);
    EXPECT_EQ(Dialog().List().Count(), 0);
    EXPECT_TRUE(view.texts.empty());
    EXPECT_EQ(view.loads, loads + 1);
}

TEST_F(Refresh, EveryRefreshRereadsTheDisk) {
    game.AddCacheFile("A", 0, kT1);
    game.WriteIndex("A=a\nB=b\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(Dialog().List().Count(), 1);
    fs::remove(game.CacheDir() / "A.uxx");
    game.AddCacheFile("B", 0, kT2);
    Dialog().ClearCacheList();
    Dialog().RefreshCacheList();
    EXPECT_EQ(Texts(), Texts_{std::string(kT2) + "    b"});
}

}  // namespace
