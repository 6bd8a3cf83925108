#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "ops/ops_fixture.h"
#include "support/system_errors.h"

namespace fs = std::filesystem;

namespace {

using Extract = OpsFixture;
using Names_ = std::vector<std::string>;

const std::string kSep(1, kPathSeparator);
// The folder a message names for the game's "Maps": Windows finds it under
// the name "MAPS" as written; elsewhere its own spelling is looked up.
#ifdef _WIN32
const std::string kMapsShown = "MAPS";
#else
const std::string kMapsShown = "Maps";
#endif

TEST_F(Extract, EachExtensionGoesToItsFolderInAnyCase) {
    MakeGameFolders();
    Open({{"K1", "Face.unr", "2001-01-01 00:00:00.000", "map"},
          {"K2", "FACE2.UNR"},
          {"K3", "Face3.Unr"},
          {"K4", "Rock.UTX", "2001-01-01 00:00:00.000", "texture"},
          {"K5", "Song.umx"},
          {"K6", "Boom.Uax"},
          {"K7", "Pack.int"},
          {"K8", "Deck16"},
          {"K9", "notes.txt"},
          {"K10", "Pack.U2"},
          {"K11", "old.unr.bak"},
          {"K12", "cache.uxx"}});
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "map");
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / "FACE2.UNR"));
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / "Face3.Unr"));
    EXPECT_EQ(ReadWholeFile(game.Root() / "Textures" / "Rock.UTX"), "texture");
    EXPECT_TRUE(fs::exists(game.Root() / "Music" / "Song.umx"));
    EXPECT_TRUE(fs::exists(game.Root() / "Sounds" / "Boom.Uax"));
    EXPECT_TRUE(fs::exists(game.Root() / "System" / "Pack.int"));
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / "Deck16.unr"));
    for (const char* key : {"K1", "K2", "K3", "K4", "K5", "K6", "K7", "K8"}) {
        EXPECT_FALSE(InCache(key)) << key;
    }
    // Other extensions stay where they are, and so do their entries.
    EXPECT_EQ(Names(), (Names_{"cache.uxx", "notes.txt", "old.unr.bak", "Pack.U2"}));
    // Lines stay in cache.ini until it is compacted.
    EXPECT_NE(ReadWholeFile(game.IndexPath()).find("K1=Face.unr"), std::string::npos);
}

TEST_F(Extract, AnEmptyNameAndADotOnlyNameBecomeMapsDotUnr) {
    MakeGameFolders();
    Open({{"E", "", "2001-01-01 00:00:00.000", "empty"},
          {"D", ".unr", "2001-01-01 00:00:01.000", "dot"}});
    Select({""});
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / ".unr"), "empty");

    // The second one finds the first in its place.
    Select({".unr"});
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Could NOT Extract .unr");
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / ".unr"), "empty");
    EXPECT_EQ(ReadWholeFile(CachePath("D")), "dot");
}

TEST_F(Extract, PackagesAskFirstAndOnlyYesMovesThem) {
    MakeGameFolders();
    Open({{"A", "Pack.u"}, {"B", "Other.U"}});
    boxes.answers = {BoxButton::No, BoxButton::Yes};
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);

    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].caption, "Mutator Encountered");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Confirmation);
    EXPECT_EQ(boxes.shown[0].text,
              "Warning: You should not remove Other.U from the cache.\n"
              "Removing Other.U from the cache, could result in \"Version Mismatch Errors\"\n"
              "which will make it impossible for you to join in to some servers.\n"
              "\n"
              "Extract Other.U from the cache?");
    EXPECT_TRUE(InCache("B"));
    EXPECT_FALSE(InCache("A"));
    EXPECT_TRUE(fs::exists(game.Root() / "System" / "Pack.u"));
    EXPECT_EQ(Names(), Names_{"Other.U"});
}

TEST_F(Extract, AnExistingFileIsNeverReplaced) {
    MakeGameFolders();
    WriteWholeFile(game.Root() / "Maps" / "Face.unr", "installed");
    Open({{"K", "Face.unr", "2001-01-01 00:00:00.000", "cached"}});
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Could NOT Extract Face.unr");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
    EXPECT_EQ(boxes.shown[0].text, "Warning: " + std::to_string(kErrorAlreadyExists) +
                                       "\nCould NOT move\n" + CachePath("K") + "\nto " +
                                       GamePath(kMapsShown + kSep + "Face.unr") +
                                       "\nFace.unr is probably already installed.");
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "installed");
    EXPECT_EQ(ReadWholeFile(CachePath("K")), "cached");
    EXPECT_EQ(Names(), Names_{"Face.unr"});
}

TEST_F(Extract, AMissingFolderFailsAndTheRestGoOn) {
    MakeGameFolders({"Maps"});
    Open({{"A", "Rock.utx", "2001-01-01 00:00:00.000"},
          {"B", "Face.unr", "2001-01-01 00:00:01.000"}});
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    // No folder of that name in any case: the capitals as written.
    EXPECT_EQ(boxes.shown[0].text, "Warning: " + std::to_string(kErrorPathNotFound) +
                                       "\nCould NOT move\n" + CachePath("A") + "\nto " +
                                       GamePath("TEXTURES" + kSep + "Rock.utx") +
                                       "\nRock.utx is probably already installed.");
    EXPECT_TRUE(InCache("A"));
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / "Face.unr"));
}

TEST_F(Extract, FoldersMatchWhateverTheirCase) {
    MakeGameFolders({"maps", "TEXTURES", "SyStEm"});
    Open({{"A", "Face.unr"}, {"B", "Rock.utx"}, {"C", "Pack.int"}});
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(fs::exists(game.Root() / "maps" / "Face.unr"));
    EXPECT_TRUE(fs::exists(game.Root() / "TEXTURES" / "Rock.utx"));
    EXPECT_TRUE(fs::exists(game.Root() / "SyStEm" / "Pack.int"));
}

TEST_F(Extract, ABackslashInTheNameIsASubfolder) {
    MakeGameFolders();
    Open({{"A", "sub\\Face.unr", "2001-01-01 00:00:00.000", "deep"}});
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Could NOT Extract sub\\Face.unr");
    EXPECT_TRUE(InCache("A"));

    fs::create_directory(game.Root() / "Maps" / "sub");
    boxes.shown.clear();
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "sub" / "Face.unr"), "deep");
}

TEST_F(Extract, NamesThatLeaveTheirFolderAreRefused) {
    MakeGameFolders();
    fs::create_directories(game.Root() / "Maps" / "a");
    const std::vector<std::string> hostile = {
        "..\\..\\evil.int",  "../x.unr",    "/abs.unr",      "\\abs.unr",   "C:x.unr",
        "a\\..\\..\\up.unr", "a/.../y.unr", "a\\. .\\z.unr", "x:stream.unr"};
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        entries.push_back({"H" + std::to_string(i), hostile[i]});
    }
    entries.push_back({"GOOD", "Good.unr"});
    Open(entries);
    const auto before = fs::path(game.Root()).parent_path();
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);

    ASSERT_EQ(boxes.shown.size(), hostile.size());
    for (const ShownBox& box : boxes.shown) {
        EXPECT_EQ(box.text.rfind(
                      "Warning: " + std::to_string(InvalidNameError()) + "\nCould NOT move\n", 0),
                  0u)
            << box.text;
    }
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        EXPECT_TRUE(InCache("H" + std::to_string(i))) << hostile[i];
    }
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / "Good.unr"));
    EXPECT_FALSE(fs::exists(before / "evil.int"));
    EXPECT_FALSE(fs::exists(game.Root() / "x.unr"));
    EXPECT_FALSE(fs::exists(game.Root() / "up.unr"));
    EXPECT_FALSE(fs::exists("/abs.unr"));
    // Only what was there plus the extracted map.
    std::size_t filesOutsideCache = 0;
    for (const auto& entry : fs::recursive_directory_iterator(game.Root())) {
        if (entry.is_regular_file() && entry.path().parent_path() != game.CacheDir()) {
            ++filesOutsideCache;
        }
    }
    EXPECT_EQ(filesOutsideCache, 1u);
}

TEST_F(Extract, SeparatorsInTheSelectionAreIgnored) {
    MakeGameFolders();
    Open({{"A", "a.unr", "2001-01-01 00:00:00.000"}, {"B", "b.unr", "2001-01-02 00:00:00.000"}});
    ASSERT_EQ(Dialog().List().Count(), 3);
    ASSERT_EQ(Dialog().List().Record(1), nullptr);
    view.selected = {1, 2};
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(InCache("A"));
    EXPECT_FALSE(InCache("B"));
}

TEST_F(Extract, WithNothingSelectedTheListIsStillRebuilt) {
    MakeGameFolders();
    Open({{"A", "a.unr"}, {"B", "b.unr"}});
    fs::remove(CachePath("A"));
    view.selected.clear();
    const int loads = view.loads;
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    EXPECT_EQ(Names(), Names_{"b.unr"});
    EXPECT_EQ(view.loads, loads + 1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Extract, AFileThatVanishedIsReportedAndTheRestGoOn) {
    MakeGameFolders();
    Open({{"A", "a.unr"}, {"B", "b.unr"}});
    fs::remove(CachePath("A"));
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Could NOT Extract a.unr");
    EXPECT_TRUE(fs::exists(game.Root() / "Maps" / "b.unr"));
}

}  // namespace
