#include "list/entry_order.h"

#include <algorithm>

#include "base/ascii.h"

namespace {

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) {
            continue;
        }
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
