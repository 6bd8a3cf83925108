#include "ui/wx/text_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayText, KeepsValidUtf8) {
    EXPECT_EQ(DisplayText("2001-08-12 06:35:48.250    CTF-Face.unr"),
              "2001-08-12 06:35:48.250    CTF-Face.unr");
    EXPECT_EQ(DisplayText("Stra\xc3\x9f"
                          "e.unr"),
              "Stra\xc3\x9f"
              "e.unr");
    EXPECT_EQ(DisplayText(""), "");
}

TEST(DisplayText, ReadsOtherBytesAsWindows1252) {
    // A lone 0xDF is not UTF-8: in the game's code page it is a sharp s.
    EXPECT_EQ(DisplayText("Stra\xdf"
                          "e.unr"),
              "Stra\xc3\x9f"
              "e.unr");
    EXPECT_EQ(DisplayText("\x80 \x99 \x9f"), "\xe2\x82\xac \xe2\x84\xa2 \xc5\xb8");
    // Unassigned bytes keep their own code points.
    EXPECT_EQ(DisplayText("\x81\x8d"), "\xc2\x81\xc2\x8d");
    // One invalid byte decides for the whole text.
    EXPECT_EQ(DisplayText("\xc3\xa9 \xe9"), "\xc3\x83\xc2\xa9 \xc3\xa9");
    // Overlong forms and surrogates are not valid UTF-8.
    EXPECT_EQ(DisplayText("\xc0\xaf"), "\xc3\x80\xc2\xaf");
    EXPECT_EQ(DisplayText("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac");
}

TEST(DisplayText, ShowsANulByteRatherThanEndingThere) {
    EXPECT_EQ(DisplayText(std::string("a\0b", 3)),
              "a\xef\xbf\xbd"
              "b");
    EXPECT_EQ(DisplayText(std::string("\xe9\0", 2)), "\xc3\xa9\xef\xbf\xbd");
}

int Chars(std::string_view s) {
    return static_cast<int>(s.size());
}

TEST(WrapWords, BreaksAtSpacesWithinTheWidth) {
    EXPECT_EQ(WrapWords("Compact Cache.ini", 12, Chars), "Compact\nCache.ini");
    EXPECT_EQ(WrapWords("Compact Cache.ini", 17, Chars), "Compact Cache.ini");
    EXPECT_EQ(WrapWords("Delete", 12, Chars), "Delete");
    EXPECT_EQ(WrapWords("a b c d", 3, Chars), "a b\nc d");
}

TEST(WrapWords, AWordWiderThanTheLineKeepsALineOfItsOwn) {
    EXPECT_EQ(WrapWords("Extraordinary x", 5, Chars), "Extraordinary\nx");
    EXPECT_EQ(WrapWords("", 5, Chars), "");
}

}  // namespace
