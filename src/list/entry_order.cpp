#include "list/entry_order.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "base/ascii.h"

namespace {

// Where `a` and `b` first differ, eight bytes at a time: entries are
// compared over every row, and neighbours mostly differ late, in a digit.
std::size_t FirstDifference(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i + 8 <= common; i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) {
            const std::uint64_t differ = x ^ y;
            if constexpr (std::endian::native == std::endian::little) {
                return i + static_cast<std::size_t>(std::countr_zero(differ)) / 8;
            } else {
                return i + static_cast<std::size_t>(std::countl_zero(differ)) / 8;
            }
        }
    }
    while (i < common && a[i] == b[i]) {
        ++i;
    }
    return i;
}

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = FirstDifference(a, b); i < common;
         i += 1 + FirstDifference(a.substr(i + 1), b.substr(i + 1))) {
        const unsigned char x = static_cast<unsigned char>(LowerAscii(a[i]));
        const unsigned char y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string_view Prefix(std::string_view text) {
    return text.substr(0, kEntryPrefixLength);
}

}  // namespace

std::string_view EntryName(std::string_view text, std::size_t prefixLen) {
    return text.size() > prefixLen ? text.substr(prefixLen) : std::string_view{};
}

EntryKind ClassifyEntry(std::string_view text) {
    const std::string_view name = EntryName(text);
    if (name.empty()) {
        return EntryKind::EmptyName;
    }
    return name == kSeparatorDashes ? EntryKind::Separator : EntryKind::Named;
}

bool SamePrefix(std::string_view a, std::string_view b) {
    return CompareFolded(Prefix(a), Prefix(b)) == 0;
}

int CompareEntries(std::string_view a, std::string_view b) {
    if (const int byPrefix = CompareFolded(Prefix(a), Prefix(b)); byPrefix != 0) {
        return byPrefix;
    }
    const auto kindA = static_cast<int>(ClassifyEntry(a));
    const auto kindB = static_cast<int>(ClassifyEntry(b));
    if (kindA != kindB) {
        return kindA < kindB ? -1 : 1;
    }
    if (const int byName = CompareFolded(EntryName(a), EntryName(b)); byName != 0) {
        return byName;
    }
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}
