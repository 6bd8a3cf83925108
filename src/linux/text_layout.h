#pragma once

#include <functional>
#include <string>
#include <string_view>

// Text handling of the GTK front end that needs no toolkit, so it is tested
// on its own.

// The UTF-8 text GTK shows for bytes of cache.ini: bytes that are valid
// UTF-8 as they are, anything else read as Windows-1252, the game's own
// code page. A NUL byte, which would end the text for GTK, shows as U+FFFD.
std::string DisplayText(std::string_view bytes);

// Breaks a label at its spaces into lines no wider than `width` where it can,
// as a multi-line push button does; a word wider than that keeps a line of
// its own.
std::string WrapWords(std::string_view text, int width,
                      const std::function<int(std::string_view)>& measure);
