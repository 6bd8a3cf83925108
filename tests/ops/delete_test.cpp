#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "ops/ops_fixture.h"
#include "support/system_errors.h"

namespace fs = std::filesystem;

namespace {

using Delete = OpsFixture;
using Names_ = std::vector<std::string>;

TEST_F(Delete, DeletesTheSelectedFilesAtOnceAndKeepsTheirLines) {
    Open({{"A", "a.unr"}, {"B", "Pack.u"}, {"C", "c.utx"}});
    Select({"a.unr", "Pack.u"});
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    // No confirmation, packages included.
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(InCache("A"));
    EXPECT_FALSE(InCache("B"));
    EXPECT_TRUE(InCache("C"));
    EXPECT_EQ(Names(), Names_{"c.utx"});
    const std::string index = ReadWholeFile(game.IndexPath());
    EXPECT_NE(index.find("A=a.unr"), std::string::npos);
    EXPECT_NE(index.find("B=Pack.u"), std::string::npos);
}

TEST_F(Delete, AReadOnlyFileIsReportedAndTheOthersAreStillDeleted) {
    Open({{"A", "a.unr", "2001-01-01 00:00:00.000"},
          {"B", "b.unr", "2001-01-01 00:00:01.000"},
          {"C", "c.unr", "2001-01-01 00:00:02.000"}});
    fs::permissions(CachePath("B"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error Deleting File");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
    EXPECT_EQ(boxes.shown[0].text,
              "Warning: " + std::to_string(kErrorAccessDenied) + "\nCould NOT Delete\nb.unr");
    EXPECT_FALSE(InCache("A"));
    EXPECT_TRUE(InCache("B"));
    EXPECT_FALSE(InCache("C"));
    EXPECT_EQ(Names(), Names_{"b.unr"});
}

TEST_F(Delete, AKeyListedTwiceIsDeletedOnceAndTheSecondTryReported) {
    Open({{"K", "first.unr"}, {"K", "second.unr"}});
    SelectAllRows();
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Warning: " + std::to_string(kErrorFileNotFound) + "\nCould NOT Delete\nsecond.unr");
    EXPECT_FALSE(InCache("K"));
    EXPECT_TRUE(Names().empty());
}

TEST_F(Delete, SeparatorsAndAnEmptySelectionDeleteNothing) {
    Open({{"A", "a.unr", "2001-01-01 00:00:00.000"}, {"B", "b.unr", "2001-01-02 00:00:00.000"}});
    ASSERT_EQ(Dialog().List().Record(1), nullptr);
    view.selected = {1};
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    view.selected.clear();
    EXPECT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    EXPECT_TRUE(InCache("A"));
    EXPECT_TRUE(InCache("B"));
    EXPECT_EQ(Dialog().List().Count(), 3);
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
