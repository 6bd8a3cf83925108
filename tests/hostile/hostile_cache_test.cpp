// Caches as hand edits, other tools and hostile servers leave them: every
// case ends without a crash, with the right box, and with cache.ini and the
// cache files intact or changed exactly as the command intends.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "ops/ops_fixture.h"

namespace fs = std::filesystem;

namespace {

using HostileCache = OpsFixture;
using Names_ = std::vector<std::string>;

TEST_F(HostileCache, AHundredMegabyteIndexIsReadToTheEnd) {
    MakeGameFolders();
    std::string index = "[Cache]\r\n";
    const std::string filler = "; " + std::string(1000, 'x') + "\r\n";
    while (index.size() < 100 * 1024 * 1024) {
        index += filler;
    }
    index += "LAST=Last.unr\r\n";
    game.AddCacheFile("LAST", 1, "2001-01-01 00:00:00.000");
    game.WriteIndex(index);
    ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(Names(), Names_{"Last.unr"});
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(HostileCache, OddBytesInNamesGoThroughUnchanged) {
    MakeGameFolders();
    const std::string huge(10 * 1024 * 1024, 'n');
    const std::string nul("Nul\0Map.unr", 11);
    const std::string odd = "Ma\x01p\xff\xfe\x7f.unr";
    const std::string crOnly = "a.unr\rB=b.unr\r";
    // (Not the key "NUL": on Windows NUL.uxx names the null device.)
    Open({{"HUGE", huge + ".utx"}, {"ZERO", nul}, {"ODD", odd}, {"CR", crOnly}},
         std::string(10'000, 'K') + "=LongKey.unr\r\nAFTER\x1aMARK=Hidden.unr\r\n");
    EXPECT_EQ(Names().size(), 4u);

    SelectAllRows();
    ASSERT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    // No file system takes a name of 10 MB, and a name with a NUL is refused:
    // both are reported and stay. The others move under their exact bytes,
    // but for the one whose extension runs on past a CR, which stays silently.
#ifdef _WIN32
    // Windows takes no control characters in a name either: that one stays too.
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].caption, "Could NOT Extract " + odd);
    EXPECT_TRUE(InCache("ODD"));
    const std::string oddLine = "ODD=" + odd + "\r\n";
#else
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / odd));
    const std::string oddLine;
#endif
    const std::size_t hugeBox = boxes.shown.size() - 2;
    EXPECT_EQ(boxes.shown[hugeBox].caption, "Could NOT Extract " + huge + ".utx");
    EXPECT_EQ(
        boxes.shown[hugeBox + 1].text.rfind("Warning: " + std::to_string(InvalidNameError()), 0),
        0u);
    EXPECT_TRUE(InCache("HUGE"));
    EXPECT_TRUE(InCache("ZERO"));
    EXPECT_TRUE(InCache("CR"));

    // Compaction writes back what is left byte for byte; the line past the
    // end-of-file mark was never part of the index.
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\nCR=" + crOnly + "\r\n" + oddLine +
                                                   "HUGE=" + huge + ".utx\r\nZERO=" + nul +
                                                   "\r\n\r\n");
}

TEST_F(HostileCache, AThousandLinesOfOneKey) {
    std::vector<Entry> entries(1000, Entry{"SAME", "Same.unr"});
    Open(entries);
    EXPECT_EQ(Dialog().List().Count(), 1000);
    SelectAllRows();
    ASSERT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    EXPECT_FALSE(InCache("SAME"));
    EXPECT_EQ(boxes.shown.size(), 999u);
    EXPECT_EQ(Dialog().List().Count(), 0);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()).size(), 9u + 1000u * 15u + 2u);
}

TEST_F(HostileCache, FilesThatChangeBetweenTheRefreshAndTheCommand) {
    MakeGameFolders();
    Open({{"GONE", "Gone.unr", "2001-01-01 00:00:00.000"},
          {"DIR", "Dir.unr", "2001-01-01 00:00:01.000"},
          {"GROWN", "Grown.unr", "2001-01-01 00:00:02.000"}});
    fs::remove(CachePath("GONE"));
    fs::remove(CachePath("DIR"));
    fs::create_directory(CachePath("DIR"));
    WriteWholeFile(CachePath("GROWN"), "now much longer content");
    SelectAllRows();
    ASSERT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Could NOT Extract Gone.unr");
    // A folder moves like a file would, as the system's move does; what the
    // file holds now is what is moved.
    EXPECT_TRUE(fs::is_directory(game.Root() / "Maps" / "Dir.unr"));
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Grown.unr"), "now much longer content");
    EXPECT_TRUE(Names().empty());
}

}  // namespace
