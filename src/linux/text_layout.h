#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

// Text handling of the GTK front end that needs no toolkit, so it is tested
// on its own.

// The UTF-8 text GTK shows for bytes of cache.ini: bytes that are valid
// UTF-8 as they are, anything else read as Windows-1252, the game's own
// code page. A NUL byte, which would end the text for GTK, shows as U+FFFD.
std::string DisplayText(std::string_view bytes);

// What a screen reader says for a row of the list, `text` being its entry:
// a file row by its name first, then its time stamp to the second; a
// separator row (`separator`) as the download batch it opens, to the minute.
std::string SpokenRowName(std::string_view text, bool separator);

// Breaks a label at its spaces into lines no wider than `width` where it can,
// as a multi-line push button does; a word wider than that keeps a line of
// its own.
std::string WrapWords(std::string_view text, int width,
                      const std::function<int(std::string_view)>& measure);

// How wide texts are drawn, from the advance of each character, each asked
// of the font once: the widest of 100,000 rows is found without laying out
// every row. Kerning is left out, so the caller lays out the widest itself.
class TextWidths {
  public:
    // A character's advance in pixels, fractions included.
    using Advance = std::function<double(char32_t)>;
    explicit TextWidths(Advance advance) : advance_(std::move(advance)) {}

    // The index of the widest of `count` texts, -1 for none; its width in
    // `width`.
    int Widest(int count, const std::function<std::string_view(int)>& text, double& width);
    // After the font changed.
    void Forget();

  private:
    // The width of the bytes as shown (DisplayText), in 1/1024 pixel: integer
    // sums are the fast part of a pass. 64 bits, for a row of a million
    // characters is wider than 2^31 of them.
    std::int64_t Width(std::string_view bytes);
    std::int32_t Of(char32_t c);
    std::int64_t SlowWidth(std::string_view bytes);

    Advance advance_;
    // By byte, for ASCII, by far the most common: below 0 for a byte not
    // yet measured, NUL and every byte from 0x80, which take the slow way.
    std::array<std::int32_t, 256> bytes_ = Unknown();
    std::unordered_map<char32_t, std::int32_t> others_;

    static std::array<std::int32_t, 256> Unknown();
};
