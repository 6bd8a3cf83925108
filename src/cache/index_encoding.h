#pragma once

#include <string>
#include <string_view>

// The forms the game writes cache.ini in, told apart by the byte-order mark:
// 8-bit text without one (read and written as the bytes stand), UTF-8 with
// one (the 469 patch), UTF-16LE with one (the game once a name holds a
// character above U+00FF). A UTF-16BE mark is never the game's: such a file
// does not decode. Marked text is held as UTF-8 in between.
enum class IndexEncoding { Bytes, Utf8, Utf16, Utf16BigEndian };

// The encoding the file's first bytes announce, and the length of its mark.
IndexEncoding DetectIndexEncoding(std::string_view start, std::size_t& markLength);

std::string_view ByteOrderMark(IndexEncoding encoding);

// Whether the list's texts of one encoding are the same characters in the
// other: both marked (UTF-8 in between) or both unmarked.
bool SameTextForm(IndexEncoding a, IndexEncoding b);

// Appends the text of a marked file's bytes (after the mark) to `out` as
// UTF-8. False at the first bytes that do not decode, a character cut off
// at the end among them: `out` then ends with the text before them.
bool DecodeIndexText(IndexEncoding encoding, std::string_view bytes, std::string& out);

// Appends text held as UTF-8 (or bytes, for an unmarked file) in the file's
// encoding. For UTF-16, a byte that is not UTF-8 counts as Windows-1252.
void EncodeIndexText(IndexEncoding encoding, std::string_view text, std::string& out);
