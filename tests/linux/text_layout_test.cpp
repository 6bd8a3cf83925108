#include "linux/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(DisplayText, KeepsUtf8AndReadsAnythingElseAsWindows1252) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"Gr\xc3\xbcn.utx", "Gr\xc3\xbcn.utx"},
        // A lone 0xFC is not UTF-8: in the game's code page it is a u umlaut.
        {"Gr\xfcn.utx", "Gr\xc3\xbcn.utx"},
        {"\x80 \x99 \x9f", "\xe2\x82\xac \xe2\x84\xa2 \xc5\xb8"},
        // Unassigned bytes keep their own code points.
        {"\x81\x8d", "\xc2\x81\xc2\x8d"},
        // One invalid byte decides for the whole text.
        {"\xc3\xa9 \xe9", "\xc3\x83\xc2\xa9 \xc3\xa9"},
        // Overlong forms and surrogates are not valid UTF-8.
        {"\xc0\xaf", "\xc3\x80\xc2\xaf"},
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xe2\x82\xac"},
        // A NUL byte shows rather than ending the text.
        {"a\0x"s, "a\xef\xbf\xbdx"},
        {"\xe9\0"s, "\xc3\xa9\xef\xbf\xbd"},
    };
    for (const auto& [bytes, shown] : cases) {
        EXPECT_EQ(DisplayText(bytes), shown);
    }
}

TEST(WrapWords, BreaksAtSpacesWithinTheWidthAndLeavesLongWordsWhole) {
    const auto chars = [](std::string_view s) { return static_cast<int>(s.size()); };
    // A line exactly as wide as the room still fits.
    EXPECT_EQ(WrapWords("a b c d", 3, chars), "a b\nc d");
    EXPECT_EQ(WrapWords("x Extraordinary y", 5, chars), "x\nExtraordinary\ny");
    EXPECT_EQ(WrapWords("", 5, chars), "");
}

}  // namespace
