#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of the valid UTF-8 sequence of two to four bytes at the start of
// `text`, with its code point; 0 where there is none (plain ASCII included).
std::size_t Utf8Sequence(std::string_view text, char32_t& codePoint);

bool IsValidUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t codePoint);
