#include <gtest/gtest.h>

#include <filesystem>

#include "ops/delete.h"
#include "ops/ops_fixture.h"
#include "support/system_errors.h"

namespace {

using Delete = OpsFixture;

// No confirmation, packages included; each failure is reported and the
// others are still deleted.
TEST_F(Delete, EachFailureIsReportedAndTheOthersAreStillDeleted) {
    const SelectedFile readOnly = Cached("B", "b.unr");
    std::filesystem::permissions(readOnly.path, std::filesystem::perms::owner_read);
    // A key listed twice: its file goes with the first line.
    const SelectedFile first = Cached("K", "first.unr");
    DeleteFiles(
        {Cached("A", "Pack.u"), readOnly, first, {first.path, "second.unr"}, Cached("C", "c.unr")},
        files(), boxes);

    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].caption, "Error Deleting File");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
    EXPECT_EQ(boxes.shown[0].text,
              "Warning: " + std::to_string(kErrorAccessDenied) + "\nCould NOT Delete\nb.unr");
    EXPECT_EQ(boxes.shown[1].text,
              "Warning: " + std::to_string(kErrorFileNotFound) + "\nCould NOT Delete\nsecond.unr");
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"B.uxx"});
}

}  // namespace
