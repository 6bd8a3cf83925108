#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "ops/extract.h"
#include "ops/extract_destination.h"
#include "ops/ops_fixture.h"
#include "support/system_errors.h"

namespace fs = std::filesystem;

namespace {

using Extract = OpsFixture;
using Names = std::vector<std::string>;

const std::string kSep(1, kPathSeparator);
// The folder a message names for the game's "Maps": Windows finds it under
// the name "MAPS" as written; elsewhere its own spelling is looked up.
#ifdef _WIN32
const std::string kMapsShown = "MAPS";
#else
const std::string kMapsShown = "Maps";
#endif

// The whole remainder from the last "." picks the folder, in any ASCII case.
TEST_F(Extract, EachFileGoesToItsFolderWhateverTheCase) {
    MakeGameFolders({"maps/sub", "TEXTURES", "Music", "Sounds", "SyStEm"});
    boxes.answers = {BoxButton::No, BoxButton::Yes, BoxButton::Ok};
    ExtractFiles({Cached("A", "Face.unr"), Cached("B", "Rock.uTx"), Cached("C", "Song.UMX"),
                  Cached("D", "Boom.uax"), Cached("E", "Pack.Int"), Cached("F", "sub\\Deep.unr"),
                  Cached("G", "Deck16"), Cached("H", ""), Cached("I", "notes.txt"),
                  Cached("J", "Pack.U2"), Cached("K", "Map.unr.bak"), Cached("L", "Other.U"),
                  Cached("M", "Pack.u"), Cached("N", "Third.u")},
                 GameDir(), files(), boxes, false);
    EXPECT_EQ(FilesIn(game.Root() / "maps"), (Names{".unr", "Deck16.unr", "Face.unr", "sub"}));
    EXPECT_EQ(FilesIn(game.Root() / "maps" / "sub"), Names{"Deep.unr"});
    EXPECT_EQ(FilesIn(game.Root() / "TEXTURES"), Names{"Rock.uTx"});
    EXPECT_EQ(FilesIn(game.Root() / "Music"), Names{"Song.UMX"});
    EXPECT_EQ(FilesIn(game.Root() / "Sounds"), Names{"Boom.uax"});
    EXPECT_EQ(FilesIn(game.Root() / "SyStEm"), (Names{"Pack.Int", "Pack.u"}));
    // Other extensions stay, and so do packages but on Yes.
    EXPECT_EQ(FilesIn(game.Root() / "Cache"), (Names{"I.uxx", "J.uxx", "K.uxx", "L.uxx", "N.uxx"}));

    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].caption, "Mutator Encountered");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Confirmation);
    EXPECT_EQ(boxes.shown[0].text,
              "Warning: You should not remove Other.U from the cache.\n"
              "Removing Other.U from the cache, could result in \"Version Mismatch Errors\"\n"
              "which will make it impossible for you to join in to some servers.\n"
              "\n"
              "Extract Other.U from the cache?");
}

// Nothing is replaced, no name leaves its folder, and each failure is
// reported while the next file still goes.
TEST_F(Extract, FailuresAreReportedAndTheRestGoOn) {
    MakeGameFolders({"Maps/a", "Music", "System"});
    WriteWholeFile(game.Root() / "Maps" / "Face.unr", "installed");
    // The name, the error and the folder as the report shows it.
    const std::tuple<std::string, int, std::string> rows[] = {
        {"Face.unr", kErrorAlreadyExists, kMapsShown},
        // No folder of that name in any case: the capitals as written.
        {"Rock.utx", kErrorPathNotFound, "TEXTURES"},
        {"Gone.unr", kErrorFileNotFound, kMapsShown},
        {"..\\evil.int", InvalidNameError(), "SYSTEM"},
        {"../x.unr", InvalidNameError(), "MAPS"},
        {"C:x.unr", InvalidNameError(), "MAPS"},
        {"a\\...\\..\\up.unr", InvalidNameError(), "MAPS"},
    };
    std::vector<SelectedFile> selected;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        selected.push_back(Cached("K" + std::to_string(i), std::get<0>(rows[i])));
    }
    // Gone since the list was read.
    fs::remove(CachePath("K2"));
    selected.push_back(Cached("S", "Song.umx"));
    ExtractFiles(selected, GameDir(), files(), boxes, false);

    ASSERT_EQ(boxes.shown.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [name, error, folder] = rows[i];
        EXPECT_EQ(boxes.shown[i].text, "Warning: " + std::to_string(error) + "\nCould NOT move\n" +
                                           selected[i].path + "\nto " + GameDir() + folder + kSep +
                                           name + "\n" + name + " is probably already installed.");
        EXPECT_EQ(boxes.shown[i].caption, "Could NOT Extract " + name);
        EXPECT_EQ(boxes.shown[i].style, BoxStyle::Warning);
    }
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "installed");
    EXPECT_EQ(FilesIn(game.Root() / "Cache"),
              (Names{"K0.uxx", "K1.uxx", "K3.uxx", "K4.uxx", "K5.uxx", "K6.uxx"}));
    EXPECT_EQ(FilesIn(game.Root() / "Music"), Names{"Song.umx"});
    EXPECT_EQ(FilesIn(game.Root()), (Names{"Cache", "Maps", "Music", "System"}));
    EXPECT_EQ(FilesIn(game.Root() / "Maps"), (Names{"Face.unr", "a"}));
}

#ifndef _WIN32
// Linux keeps names in UTF-8, and the game under Wine and today's native
// build ask for a file by its name's characters: an 8-bit name is written as
// the Windows-1252 it is. The older native build asks for the bytes as stored.
TEST(ExtractedNames, AreTheNamesTheGameAsksFor) {
    const std::string latin1 = "Citt\xE0.unr";
    const std::string utf8 = "Citt\xC3\xA0.unr";
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"", latin1, utf8},
        {"", utf8, utf8},
        {".utpg/Cache", latin1, utf8},
        {".loki/ut/Cache", latin1, latin1},
    };
    for (const auto& [homeCache, recorded, onDisk] : rows) {
        TempGame game;
        TempGame home;
        const fs::path cache = homeCache.empty() ? game.CacheDir() : home.Root() / homeCache;
        fs::create_directories(cache);
        fs::create_directories(game.Root() / "System");
        fs::create_directories(game.Root() / "Maps");
        WriteWholeFile(cache / "K.uxx", "map");
        WriteWholeFile(cache / "cache.ini", "K=" + recorded + "\n");
        if (!homeCache.empty()) {
            WriteWholeFile(game.Root() / "System" / "ut-bin", "ELF");
        }
        FakeServices fakes;
        fakes.playerHome = home.Dir();
        fakes.unicodeFileNames = true;
        std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
        CVorpaneDlg dialog(fakes.For(*files));
        dialog.SetGameFolder(game.Dir(), FolderSource::Player);
        dialog.RunHandler(&CVorpaneDlg::OnInitDialog);
        fakes.view.selected = {0};
        dialog.RunHandler(&CVorpaneDlg::OnExtract);
        EXPECT_EQ(FilesIn(game.Root() / "Maps"), Names{onDisk}) << homeCache << " " << recorded;
        EXPECT_TRUE(fakes.boxes.shown.empty());
    }
}
#endif

TEST(ExtractDestination, NamesMustStayInTheirFolder) {
    for (const char* safe :
         {"Face.unr", "sub\\Face.unr", "sub/Face.unr", ".unr", "a..b.unr", "..unr", "x.\\y.unr",
          "./Face.unr", "deep\\er\\Face.unr", "Face .unr"}) {
        EXPECT_TRUE(NameStaysInFolder(safe)) << safe;
    }
    for (const char* hostile :
         {"..\\..\\evil.int", "../x.unr", "..", "/abs.unr", "\\abs.unr", "C:x.unr", "C:\\x.unr",
          "x.unr:ads", "a\\..\\b.unr", "a/../b.unr", "a\\...\\b.unr", "a\\. .\\b.unr", "..\\"}) {
        EXPECT_FALSE(NameStaysInFolder(hostile)) << hostile;
    }
    EXPECT_FALSE(NameStaysInFolder(std::string_view("Nul\0Map.unr", 11)));
}

}  // namespace
