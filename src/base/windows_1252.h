#pragma once

#include <string>
#include <string_view>

// The code point of a byte in Windows-1252, the game's own code page; the
// five bytes it leaves unassigned keep their C1 code points, as Windows
// itself maps them.
char32_t Windows1252CodePoint(unsigned char byte);

// Bytes of the game's text as UTF-8: valid UTF-8 as it is, anything else
// read as Windows-1252.
std::string Utf8FromGameText(std::string_view bytes);
