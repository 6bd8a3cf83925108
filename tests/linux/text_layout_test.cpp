#include "linux/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

// The width of one text, through the only question the view asks.
double WidthOf(TextWidths& widths, const std::string& text) {
    double width = -1;
    widths.Widest(
        1, [&](int) { return std::string_view(text); }, width);
    return width;
}

TEST(TextWidths, FindsTheWidestAsShownNotTheLongestInBytes) {
    std::vector<char32_t> asked;
    TextWidths widths([&](char32_t c) {
        asked.push_back(c);
        return c == U'W' ? 3.5 : c == U'\u20ac' ? 2.0 : c == U'\ufffd' ? 4.0 : 1.0;
    });
    // The Euro sign as UTF-8 and as the game's code page; NUL as shown.
    const std::vector<std::string> texts = {"iiiiiiii", "WWW", "\xe2\x82\xac\xe2\x82\xac",
                                            "\x80\x80", "a\0"s};
    double width = 0;
    EXPECT_EQ(widths.Widest(
                  static_cast<int>(texts.size()), [&](int i) { return std::string_view(texts[i]); },
                  width),
              1);
    EXPECT_EQ(width, 10.5);
    EXPECT_EQ(WidthOf(widths, texts[2]), 4.0);
    EXPECT_EQ(WidthOf(widths, texts[3]), 4.0);
    EXPECT_EQ(WidthOf(widths, texts[4]), 5.0);
    // Each character is asked of the font once.
    EXPECT_EQ(asked, (std::vector<char32_t>{U'i', U'W', U'\u20ac', U'a', U'\ufffd'}));
}

TEST(TextWidths, MeasuresRowsWiderThanTwoToThe31OfTheirUnits) {
    TextWidths widths([](char32_t) { return 8.0; });
    // 300,000 characters of 8 pixels, as ASCII and the slow way.
    EXPECT_EQ(WidthOf(widths, std::string(300000, 'W')), 2400000.0);
    EXPECT_EQ(WidthOf(widths, std::string(300000, '\xe9')), 2400000.0);
}

TEST(SpokenRowName, PutsTheNameFirstAndCallsASeparatorADownloadBatch) {
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {"2019-03-02 20:14:25.257    GravelBots.u", false, "GravelBots.u, 2019-03-02 20:14:25"},
        {"2020-11-21 19:02:07.001    ----------------", true,
         "Download batch from 2020-11-21 19:02"},
        // A file may carry the separator's hyphens as its name.
        {"2020-11-21 19:02:07.001    ----------------", false,
         "----------------, 2020-11-21 19:02:07"},
        {"2019-03-02 20:14:25.257    Gr\xfcn.utx", false, "Gr\xc3\xbcn.utx, 2019-03-02 20:14:25"},
        {"2019-03-02 20:14:25.257    ", false, "2019-03-02 20:14:25"},
    };
    for (const auto& [text, separator, spoken] : cases) {
        EXPECT_EQ(SpokenRowName(text, separator), spoken) << text;
    }
}

}  // namespace
