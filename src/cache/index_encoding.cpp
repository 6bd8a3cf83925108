#include "cache/index_encoding.h"

#include "base/utf8.h"
#include "base/windows_1252.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

void AppendUtf16(std::string& out, char32_t cp) {
    auto unit = [&](char32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    if (cp < 0x10000) {
        unit(cp);
    } else {
        cp -= 0x10000;
        unit(0xD800 | (cp >> 10));
        unit(0xDC00 | (cp & 0x3FF));
    }
}

}  // namespace

IndexEncoding DetectIndexEncoding(std::string_view start, std::size_t& markLength) {
    for (const IndexEncoding encoding :
         {IndexEncoding::Utf8, IndexEncoding::Utf16, IndexEncoding::Utf16BigEndian}) {
        if (start.starts_with(ByteOrderMark(encoding))) {
            markLength = ByteOrderMark(encoding).size();
            return encoding;
        }
    }
    markLength = 0;
    return IndexEncoding::Bytes;
}

std::string_view ByteOrderMark(IndexEncoding encoding) {
    switch (encoding) {
        case IndexEncoding::Utf8:
            return kUtf8Mark;
        case IndexEncoding::Utf16:
            return kUtf16Mark;
        case IndexEncoding::Utf16BigEndian:
            return kUtf16BigEndianMark;
        case IndexEncoding::Bytes:
            break;
    }
    return {};
}

bool SameTextForm(IndexEncoding a, IndexEncoding b) {
    return (a == IndexEncoding::Bytes) == (b == IndexEncoding::Bytes);
}

namespace {

bool DecodeUtf8(std::string_view bytes, std::string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t ignored = 0;
        const std::size_t length = Utf8Sequence(bytes.substr(i), ignored);
        if (length == 0) {
            out.append(bytes.substr(0, i));
            return false;
        }
        i += length;
    }
    out.append(bytes);
    return true;
}

bool DecodeUtf16(std::string_view bytes, std::string& out) {
    const auto unitAt = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    const auto isLow = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    out.reserve(out.size() + bytes.size() / 2);
    std::size_t i = 0;
    while (i + 2 <= bytes.size()) {
        const char32_t unit = unitAt(i);
        if (isLow(unit)) {
            return false;
        }
        if (unit < 0xD800 || unit > 0xDBFF) {
            AppendUtf8(out, unit);
            i += 2;
            continue;
        }
        if (i + 4 > bytes.size() || !isLow(unitAt(i + 2))) {
            return false;
        }
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
        i += 4;
    }
    return i == bytes.size();
}

}  // namespace

bool DecodeIndexText(IndexEncoding encoding, std::string_view bytes, std::string& out) {
    switch (encoding) {
        case IndexEncoding::Bytes:
            out.append(bytes);
            return true;
        case IndexEncoding::Utf8:
            return DecodeUtf8(bytes, out);
        case IndexEncoding::Utf16:
            return DecodeUtf16(bytes, out);
        case IndexEncoding::Utf16BigEndian:
            break;
    }
    return false;
}

void EncodeIndexText(IndexEncoding encoding, std::string_view text, std::string& out) {
    if (encoding != IndexEncoding::Utf16) {
        out.append(text);
        return;
    }
    out.reserve(out.size() + 2 * text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        const std::size_t length = byte < 0x80 ? 0 : Utf8Sequence(text.substr(i), cp);
        if (length == 0) {
            cp = Windows1252CodePoint(byte);
        }
        AppendUtf16(out, cp);
        i += length == 0 ? 1 : length;
    }
}
