#include <gtest/gtest.h>

#include "platform/path_separator.h"
#include "support/dialog_fixture.h"

namespace {

const std::string kKeyText = "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
const std::string kValueText =
    "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament\\Folder \n"
    "Should contain the directory that the UT Game is installed in ie. C:\\UT";
const std::string kTitle = "Select the UT Directory";

using GameFolder = DialogFixture;

TEST_F(GameFolder, PathsAreTheSameWithOrWithoutATrailingSeparator) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(Dialog().SetGameFolder("/games/UT"), 9u);
    EXPECT_EQ(Dialog().GameDir(), "/games/UT" + sep);
    EXPECT_EQ(Dialog().CacheDir(), "/games/UT" + sep + "Cache" + sep);
    EXPECT_EQ(Dialog().CacheIniPath(), "/games/UT" + sep + "Cache" + sep + "cache.ini");
    EXPECT_EQ(Dialog().SetGameFolder("/games/UT" + sep), 10u);
    EXPECT_EQ(Dialog().CacheIniPath(), "/games/UT" + sep + "Cache" + sep + "cache.ini");
    EXPECT_EQ(Dialog().SetGameFolder(sep), 1u);
    EXPECT_EQ(Dialog().GameDir(), sep);
    EXPECT_EQ(Dialog().CacheIniPath(), sep + "Cache" + sep + "cache.ini");
    // An empty folder changes nothing.
    EXPECT_EQ(Dialog().SetGameFolder(""), 0u);
    EXPECT_EQ(Dialog().GameDir(), sep);
}

TEST_F(GameFolder, TheRegistryEntryIsUsedWithoutAsking) {
    game.WriteIndex("[Cache]\n");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(Dialog().GameDir(), game.Dir() + kPathSeparator);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(chooser.titles.empty());
}

TEST_F(GameFolder, AMissingKeyWarnsThenAsks) {
    game.WriteIndex("[Cache]\n");
    registry.entry = {};
    chooser.answers = {game.Dir()};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kKeyText);
    EXPECT_EQ(boxes.shown[0].caption, "Registry Key Can't Be Found");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
    EXPECT_EQ(chooser.titles, std::vector<std::string>{kTitle});
    EXPECT_EQ(Dialog().GameDir(), game.Dir() + kPathSeparator);
}

TEST_F(GameFolder, AMissingOrUnusableValueWarnsThenAsks) {
    game.WriteIndex("[Cache]\n");
    const std::optional<std::string> unusable[] = {
        std::nullopt,                  // cannot be read
        std::string(),                 // no data at all
        std::string(261, 'x'),         // does not fit with its terminator
        std::string(300, 'x') + '\0',  // longer than the buffer
        "/short" + std::string(1, '\0') + std::string(300, 'x'),  // data longer than the buffer
    };
    for (const auto& data : unusable) {
        registry.entry = {true, data};
        boxes.shown.clear();
        chooser.answers = {game.Dir()};
        EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, kValueText);
        EXPECT_EQ(boxes.shown[0].caption, "Registry Value Can't Be Found");
        EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
        EXPECT_EQ(Dialog().GameDir(), game.Dir() + kPathSeparator);
        ReopenDialog();
    }
}

TEST_F(GameFolder, AValueOfTheFullBufferSizeStillCounts) {
    const std::string longest(260, 'd');
    registry.entry = {true, longest + '\0'};
    chooser.answers = {};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), 0);  // index not found: cancelled at the chooser
    EXPECT_EQ(Dialog().GameDir(), longest + kPathSeparator);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Could NOT be opened");
}

TEST_F(GameFolder, AnEmptyValueWithItsTerminatorLeavesThePathsEmpty) {
    game.WriteIndex("[Cache]\n");
    registry.entry = {true, std::string(1, '\0')};
    chooser.answers = {game.Dir()};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Could NOT be opened");
    EXPECT_EQ(boxes.shown[0].caption, "");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_EQ(Dialog().GameDir(), game.Dir() + kPathSeparator);
}

TEST_F(GameFolder, CancellingTheFirstChooserEndsWithCodeZero) {
    registry.entry = {};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Dialog().GameDir(), "");
}

TEST_F(GameFolder, AnOverlongChoiceCountsAsMissing) {
    registry.entry = {};
    chooser.answers = {std::string(261, 'c')};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), 0);
    EXPECT_EQ(Dialog().GameDir(), "");

    // When asked again, a choice that counts as missing ends with code 1.
    registry.SetFolder(game.Dir() + kPathSeparator + "nowhere");
    chooser.answers = {std::string(261, 'c')};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), 1);
}

TEST_F(GameFolder, CancellingTheChooserWhenAskedAgainEndsWithCodeZero) {
    registry.SetFolder(game.Dir() + kPathSeparator + "nowhere");
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, Dialog().CacheIniPath());
}

TEST_F(GameFolder, AsksAgainUntilTheIndexCanBeOpened) {
    game.WriteIndex("[Cache]\n");
    TempGame empty;
    std::filesystem::remove_all(empty.CacheDir());
    registry.SetFolder(empty.Dir());
    // A folder without a cache, then a file instead of a folder, then the game.
    const std::string aFile = (game.CacheDir() / "cache.ini").string();
    chooser.answers = {empty.Dir(), aFile, game.Dir()};
    EXPECT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 3u);
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(boxes.shown[0].caption, empty.Dir() + sep + "Cache" + sep + "cache.ini");
    EXPECT_EQ(boxes.shown[1].caption, empty.Dir() + sep + "Cache" + sep + "cache.ini");
    EXPECT_EQ(boxes.shown[2].caption, aFile + sep + "Cache" + sep + "cache.ini");
    EXPECT_EQ(chooser.titles.size(), 3u);
    EXPECT_EQ(Dialog().GameDir(), game.Dir() + sep);
}

}  // namespace
