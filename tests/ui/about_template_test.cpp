#include "ui/about_template.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutTemplate, ShowsTheFileTypesBesideTheirFolders) {
    using namespace about_template;
    const std::string types = TextWithoutAccessKeys(kFileTypes);
    const std::string folders = TextWithoutAccessKeys(kSubDirectories);
    EXPECT_EQ(types, "File Type\n---------------\n.INT\n.U\n.UAX\n.UMX\n.UTX\n.UNR & .*");
    EXPECT_EQ(
        folders,
        "Sub-Directory\n----------------------\nSystem\nSystem\nSounds\nMusic\nTextures\nMaps");
    // Read side by side, every type has its folder on the same line.
    EXPECT_EQ(std::count(types.begin(), types.end(), '\n'),
              std::count(folders.begin(), folders.end(), '\n'));
}

TEST(AboutTemplate, NamesTheProgramAndItsVersionFirst) {
    EXPECT_EQ(about_template::kCaption, "About Vorpane");
    EXPECT_TRUE(about_template::kNotice.starts_with("Vorpane Version 1.2\n"));
    EXPECT_NE(about_template::kNotice.find("warranty"), std::string_view::npos);
}

TEST(AboutTemplate, ControlsStayInsideTheBox) {
    using namespace about_template;
    for (const DialogRect& r :
         {kIcon, kNoticeRect, kServerRect, kFileTypesRect, kSubDirectoriesRect, kOkRect}) {
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.x + r.width, kWidth);
        EXPECT_LE(r.y + r.height, kHeight);
    }
}

TEST(AccessKeys, ASingleAmpersandMarksADoubledOneShows) {
    EXPECT_EQ(TextWithoutAccessKeys("&About Vorpane..."), "About Vorpane...");
    EXPECT_EQ(TextWithoutAccessKeys("Maps && Textures"), "Maps & Textures");
    EXPECT_EQ(TextWithoutAccessKeys("&&&x&&&&"), "&x&&");
    EXPECT_EQ(TextWithoutAccessKeys("trailing &"), "trailing ");
    EXPECT_EQ(TextWithoutAccessKeys(""), "");
}

}  // namespace
