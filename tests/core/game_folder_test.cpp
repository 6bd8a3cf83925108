#include <gtest/gtest.h>

// GCC 12 takes the optional texts of the table below for uninitialised when
// it copies the initializer list: a false alarm.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <map>

#include "list/entry_order.h"
#include "location/game_folder.h"
#include "ops/ops_fixture.h"
#include "platform/path_separator.h"
#include "support/dialog_fixture.h"

namespace {

const std::string kSep(1, kPathSeparator);
const std::string kKeyText = "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
const std::string kValueText = kKeyText +
                               "\\Folder \nShould contain the directory that the UT Game is "
                               "installed in ie. C:\\UT";

struct Outcome {
    std::vector<std::string> boxes;  // "caption: text"
    std::optional<int> exitCode;
    std::string folder;
};

Outcome Locate(InstallationEntry entry, std::deque<std::optional<std::string>> answers) {
    FakeServices fakes;
    fakes.registry.entry = std::move(entry);
    fakes.chooser.answers = std::move(answers);
    Outcome outcome;
    try {
        const LocatedFolder located =
            LocateGameFolder(fakes.registry, {fakes.boxes, fakes.chooser, fakes.exit});
        outcome.folder = located.path;
        // Only a folder the player picked may be a native installation.
        EXPECT_EQ(located.source == FolderSource::Player, !fakes.chooser.titles.empty());
    } catch (const ProcessEnded& ended) {
        outcome.exitCode = ended.code;
    }
    for (const ShownBox& box : fakes.boxes.shown) {
        EXPECT_EQ(box.style, BoxStyle::Warning);
        outcome.boxes.push_back(box.caption + ": " + box.text);
    }
    for (const std::string& title : fakes.chooser.titles) {
        EXPECT_EQ(title, "Select the UT Directory");
    }
    return outcome;
}

TEST(GameFolder, TheEntryOrElseAWarningAndTheChooser) {
    const std::string keyBox = "Registry Key Can't Be Found: " + kKeyText;
    const std::string valueBox = "Registry Value Can't Be Found: " + kValueText;
    const std::string longest(kPathBufferSize - 1, 'd');
    // The limit counts the system's units: UTF-16 ones on Windows, where
    // this is far longer in UTF-8 bytes; bytes elsewhere.
    std::string widest = "/";
    for (int i = 0; PathUnits(widest) < kPathBufferSize - 1; ++i) {
        const std::string next = i % 3 == 0 ? "\u0434" : i % 3 == 1 ? "\u65E5" : "\U0001D11E";
        widest += PathUnits(widest + next) < kPathBufferSize ? next : "d";
    }
    struct Row {
        InstallationEntry entry;
        std::deque<std::optional<std::string>> answers;
        Outcome expected;
    };
    const std::vector<Row> rows = {
        {{true, "/ut" + std::string(1, '\0')}, {}, {{}, {}, "/ut"}},
        {{true, longest + '\0'}, {}, {{}, {}, longest}},
        {{true, widest + '\0'}, {}, {{}, {}, widest}},
        {{true, widest + "d" + '\0'}, {"/chosen"}, {{valueBox}, {}, "/chosen"}},
        {{false, std::nullopt}, {widest + "d"}, {{keyBox}, 0, ""}},
        // An empty text with its terminator counts as present.
        {{true, std::string(1, '\0')}, {}, {{}, {}, ""}},
        {{false, std::nullopt}, {"/chosen"}, {{keyBox}, {}, "/chosen"}},
        {{false, std::nullopt}, {std::nullopt}, {{keyBox}, 0, ""}},
        // A choice that does not fit the buffer counts as none.
        {{false, std::nullopt}, {std::string(kPathBufferSize, 'c')}, {{keyBox}, 0, ""}},
        {{true, std::nullopt}, {"/chosen"}, {{valueBox}, {}, "/chosen"}},
        {{true, ""}, {"/chosen"}, {{valueBox}, {}, "/chosen"}},
        {{true, std::string(kPathBufferSize, 'x')}, {"/chosen"}, {{valueBox}, {}, "/chosen"}},
        {{true, std::string(kPathBufferSize + 40, 'x') + '\0'},
         {"/chosen"},
         {{valueBox}, {}, "/chosen"}},
        {{true, "/a" + std::string(1, '\0') + std::string(kPathBufferSize + 40, 'x')},
         {},
         {{valueBox}, 0, ""}},
    };
    for (const auto& row : rows) {
        const Outcome outcome = Locate(row.entry, row.answers);
        EXPECT_EQ(outcome.boxes, row.expected.boxes) << row.expected.folder;
        EXPECT_EQ(outcome.exitCode, row.expected.exitCode) << row.expected.folder;
        EXPECT_EQ(outcome.folder, row.expected.folder);
    }
}

using GameFolderDialog = DialogFixture;

TEST_F(GameFolderDialog, AsksAgainUntilTheIndexOpensAndEndsWhenCancelled) {
    game.WriteIndex("[Cache]\n");
    TempGame empty;
    std::filesystem::remove_all(empty.CacheDir());
    const std::string aFile = game.IndexPath().string();
    const auto indexOf = [](const std::string& folder) {
        return folder + kSep + "Cache" + kSep + "cache.ini";
    };
    // A folder without a cache, a file, then the game given with a trailing separator.
    registry.SetFolder(empty.Dir());
    chooser.answers = {empty.Dir(), aFile, game.Dir() + kSep};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "Could NOT be opened");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_EQ(boxes.shown[0].caption, indexOf(empty.Dir()));
    EXPECT_EQ(boxes.shown[1].caption, indexOf(empty.Dir()));
    EXPECT_EQ(boxes.shown[2].caption, indexOf(aFile));

    // Asked again: cancelling ends with 0, a choice that does not fit with 1.
    for (const auto& [answer, code] :
         {std::pair{std::optional<std::string>(), 0},
          std::pair{std::optional(std::string(kPathBufferSize, 'c')), 1}}) {
        ReopenDialog();
        registry.SetFolder(empty.Dir());
        chooser.answers = {answer};
        EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), code);
    }
    // An empty entry leaves the paths empty: the box has no caption. A
    // trailing separator is not doubled.
    ReopenDialog();
    boxes.shown.clear();
    registry.entry = {true, std::string(1, '\0')};
    chooser.answers = {empty.Dir() + kSep, game.Dir()};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].caption, "");
    EXPECT_EQ(boxes.shown[1].caption, indexOf(empty.Dir()));
}

// An installation of the game's native Linux build keeps its downloads in
// the player's home. Each row: what the installation and the home hold, how
// the folder comes, and whose cache is listed ("asked" when none opens).
TEST(NativeInstallation, ListsTheDownloadsInThePlayersHome) {
    struct Row {
        std::vector<std::string> installed;  // files of the installation
        std::vector<std::string> home;       // cache.ini files in the home
        bool fromEntry;                      // named by the installation entry
        std::string listed;
    };
    const std::string utpg = ".utpg/Cache/cache.ini";
    const std::string loki = ".loki/ut/Cache/cache.ini";
    const std::vector<Row> rows = {
        {{"System64/ut-bin-amd64"}, {utpg, loki}, false, "Utpg.unr"},
        {{"System64/ucc-bin-amd64"}, {utpg}, false, "Utpg.unr"},
        {{"System/ut-bin"}, {loki}, false, "Loki.unr"},
        {{"System/ucc-bin"}, {loki}, false, "Loki.unr"},
        // A folder in place of today's index: the older one is used.
        {{"System/ut-bin"}, {".utpg/Cache/cache.ini/", loki}, false, "Loki.unr"},
        {{"System64/ut-bin-amd64"}, {}, false, "asked"},
        {{"System64/ut-bin-amd64", "Cache/cache.ini"}, {utpg}, false, "Own.unr"},
        // Not a native installation, or not the player's choice: no guessing.
        {{"System/UnrealTournament.exe"}, {utpg}, false, "asked"},
        {{"System64/ut-bin-amd64"}, {utpg}, true, "asked"},
    };
    const auto names = std::map<std::string, std::string>{
        {"Cache/cache.ini", "Own.unr"}, {utpg, "Utpg.unr"}, {loki, "Loki.unr"}};
    for (const Row& row : rows) {
        TempGame installation;
        TempGame home;
        const auto make = [&](const std::filesystem::path& root, const std::string& file) {
            std::filesystem::create_directories((root / file).parent_path());
            if (file.back() == '/') {
                std::filesystem::create_directory(root / file);
            } else if (names.count(file) == 0) {
                WriteWholeFile(root / file, "ELF");
            } else {
                WriteWholeFile(root / file, "K=" + names.at(file) + "\n");
                WriteWholeFile((root / file).parent_path() / "K.uxx", "data");
            }
        };
        for (const std::string& file : row.installed) {
            make(installation.Root(), file);
        }
        for (const std::string& file : row.home) {
            make(home.Root(), file);
        }
        FakeServices fakes;
        fakes.playerHome = home.Dir();
        if (row.fromEntry) {
            fakes.registry.SetFolder(installation.Dir());
        } else {
            fakes.chooser.answers = {installation.Dir()};
        }
        std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
        CVorpaneDlg dialog(fakes.For(*files));
        std::string listed = "asked";
        try {
            dialog.RunHandler(&CVorpaneDlg::OnInitDialog);
            ASSERT_EQ(fakes.view.rows.size(), 1u);
            listed = fakes.view.rows[0].text.substr(kEntryPrefixLength);
        } catch (const ProcessEnded&) {
            // The question names the installation's own index.
            EXPECT_EQ(fakes.boxes.shown.back().caption, (installation.IndexPath()).string());
        }
        EXPECT_EQ(listed, row.listed) << row.installed[0] << " " << row.fromEntry;
    }
}

// Given as on the command line: no registry is read; extraction goes into the
// installation, Delete and Compact act on the cache in the home.
using NativeInstallationCommands = OpsFixture;

TEST_F(NativeInstallationCommands, ExtractIntoTheInstallationAndActOnTheHomeCache) {
    TempGame home;
    const std::filesystem::path cache = home.Root() / ".utpg" / "Cache";
    std::filesystem::create_directories(cache);
    for (const char* key : {"A", "B", "C"}) {
        WriteWholeFile(cache / (std::string(key) + ".uxx"), key);
    }
    WriteWholeFile(cache / "cache.ini", "[Cache]\nA=DM-A.unr\nB=B.utx\nC=C.umx\n");
    std::filesystem::create_directory(game.Root() / "System64");
    std::filesystem::create_directory(game.Root() / "maps");
    WriteWholeFile(game.Root() / "System64" / "ut-bin-amd64", "ELF");
    playerHome = home.Dir();
    registry.entry = {};

    Dialog().SetGameFolder(game.Dir(), FolderSource::Player);
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(view.rows.size(), 3u);
    view.selected = {RowOf("DM-A.unr")};
    EXPECT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    view.selected = {RowOf("B.utx")};
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    EXPECT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadWholeFile(game.Root() / "maps" / "DM-A.unr"), "A");
    EXPECT_EQ(FilesIn(cache), (std::vector<std::string>{"C.uxx", "cache.ini"}));
    EXPECT_EQ(ReadWholeFile(cache / "cache.ini"), "[Cache]\r\nC=C.umx\r\n\r\n");
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{});
}

#ifndef _WIN32
TEST_F(GameFolderDialog, AGameFolderPathLongerThanWindowsAllowsWorksOnLinux) {
    const std::filesystem::path deep =
        game.Root() / std::string(100, 'a') / std::string(100, 'b') / std::string(100, 'c');
    std::filesystem::create_directories(deep / "Cache");
    WriteWholeFile(deep / "Cache" / "K.uxx", "map");
    WriteWholeFile(deep / "Cache" / "cache.ini", "K=Face.unr\n");
    registry.SetFolder(deep.string());
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(*view.rows[0].record, (deep / "Cache" / "K.uxx").string() + "00000003");
}
#endif

}  // namespace
