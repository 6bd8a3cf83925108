#include <gtest/gtest.h>

#include "list/entry_order.h"

namespace {

const std::string kEarly = "2001-08-12 06:35:48.250    ";
const std::string kLate = "2001-08-12 06:35:48.251    ";
const std::string kSeparator = kEarly + "----------------";

TEST(EntryOrder, TimeFirstThenNoNameThenSeparatorThenNamesIgnoringCase) {
    // Each text sorts before the next one.
    const std::string ordered[] = {
        "1999-12-31 23:59:59.999    zzz",
        kEarly,
        kSeparator,
        // Names starting below '-' would sort above the hyphens byte by byte.
        kEarly + "\x01",
        kEarly + " lead",
        kEarly + "!bang",
        kEarly + "----------------x",
        kEarly + "apple.unr",
        kEarly + "Banana.unr",
        kEarly + "Face",
        kEarly + "face.unr",
        kEarly + "~",
        kLate + "----------------",
        kLate + "AAA",
    };
    for (std::size_t i = 0; i + 1 < std::size(ordered); ++i) {
        EXPECT_LT(CompareEntries(ordered[i], ordered[i + 1]), 0) << ordered[i + 1];
        EXPECT_GT(CompareEntries(ordered[i + 1], ordered[i]), 0) << ordered[i + 1];
    }
    // Only the case differs: a fixed order either way; equal texts are equal.
    EXPECT_EQ(CompareEntries(kEarly + "Face.unr", kEarly + "FACE.UNR"),
              -CompareEntries(kEarly + "FACE.UNR", kEarly + "Face.unr"));
    EXPECT_NE(CompareEntries(kEarly + "Face.unr", kEarly + "FACE.UNR"), 0);
    EXPECT_EQ(CompareEntries(kSeparator, kSeparator), 0);
}

}  // namespace
