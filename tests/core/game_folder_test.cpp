#include <gtest/gtest.h>

// GCC 12 takes the optional texts of the table below for uninitialised when
// it copies the initializer list: a false alarm.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "location/game_folder.h"
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
        outcome.folder = LocateGameFolder(fakes.registry, {fakes.boxes, fakes.chooser, fakes.exit});
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
    struct Row {
        InstallationEntry entry;
        std::deque<std::optional<std::string>> answers;
        Outcome expected;
    };
    const std::vector<Row> rows = {
        {{true, "/ut" + std::string(1, '\0')}, {}, {{}, {}, "/ut"}},
        {{true, longest + '\0'}, {}, {{}, {}, longest}},
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
