#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Whether UTF-8 must be valid, or an invalid sequence may become U+FFFD.
enum class Conversion { Strict, Lenient };

// `text`, spelt in `codePage`, as UTF-16. Strict UTF-8 that is not valid
// gives nothing, with ERROR_NO_UNICODE_TRANSLATION as the last error.
std::optional<std::wstring> WideText(std::string_view text, UINT codePage,
                                     Conversion conversion = Conversion::Strict);

// `text` spelt in `codePage`; a character that code page lacks becomes '?'
// (never a look-alike, which could name another file).
std::string NarrowText(std::wstring_view text, UINT codePage);

// A text of the program's, UTF-8, as a window shows it; what is not UTF-8
// shows as U+FFFD.
std::wstring WindowText(std::string_view text);
