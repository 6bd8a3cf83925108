#include "linux/text_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "base/utf8.h"
#include "base/windows_1252.h"
#include "list/entry_order.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string DisplayText(std::string_view bytes) {
    std::string text = Utf8FromGameText(bytes);
    // GTK would end the text at a NUL: it shows as U+FFFD instead.
    for (std::size_t at = 0; (at = text.find('\0', at)) != std::string::npos;) {
        text.replace(at, 1, kReplacement);
        at += kReplacement.size();
    }
    return text;
}

std::string SpokenRowName(std::string_view text, bool separator) {
    // "2019-03-02 20:14:25.257": the date and the time to the minute, or
    // to the second.
    constexpr std::size_t kToMinute = 16;
    constexpr std::size_t kToSecond = 19;
    const std::string stamp(text.substr(0, std::min(text.size(), kTimeStampLength)));
    if (separator) {
        return "Download batch from " + stamp.substr(0, kToMinute);
    }
    const std::string name = DisplayText(EntryName(text));
    const std::string when = stamp.substr(0, kToSecond);
    return name.empty() ? when : name + ", " + when;
}

std::string WrapWords(std::string_view text, int width,
                      const std::function<int(std::string_view)>& measure) {
    std::string out;
    std::string line;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        const std::string_view word = text.substr(pos, end - pos);
        if (line.empty()) {
            line = word;
        } else if (measure(line + ' ' + std::string(word)) <= width) {
            line.append(" ").append(word);
        } else {
            out.append(line).append("\n");
            line = word;
        }
        pos = end + 1;
    }
    return out + line;
}

std::array<std::int32_t, 256> TextWidths::Unknown() {
    std::array<std::int32_t, 256> table{};
    table.fill(-1);
    return table;
}

void TextWidths::Forget() {
    bytes_ = Unknown();
    others_.clear();
}

std::int32_t TextWidths::Of(char32_t c) {
    const auto [at, added] = others_.try_emplace(c, 0);
    if (added) {
        at->second = static_cast<std::int32_t>(std::lround(advance_(c) * 1024));
        if (c > 0 && c < 0x80) {
            bytes_[c] = at->second;
        }
    }
    return at->second;
}

std::int64_t TextWidths::SlowWidth(std::string_view bytes) {
    std::int64_t width = 0;
    const std::string shown = DisplayText(bytes);
    for (std::size_t i = 0; i < shown.size();) {
        char32_t code = static_cast<unsigned char>(shown[i]);
        const std::size_t length = Utf8Sequence(std::string_view(shown).substr(i), code);
        width += Of(code);
        i += std::max<std::size_t>(length, 1);
    }
    return width;
}

std::int64_t TextWidths::Width(std::string_view bytes) {
    std::int64_t width = 0;
    std::int32_t unknown = 0;
    for (const char c : bytes) {
        const std::int32_t advance = bytes_[static_cast<unsigned char>(c)];
        width += advance;
        unknown |= advance;
    }
    if (unknown < 0) {
        width = SlowWidth(bytes);
    }
    return width;
}

int TextWidths::Widest(int count, const std::function<std::string_view(int)>& text, double& width) {
    int widest = -1;
    std::int64_t most = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t w = Width(text(i));
        if (widest < 0 || w > most) {
            widest = i;
            most = w;
        }
    }
    width = static_cast<double>(most) / 1024;
    return widest;
}
