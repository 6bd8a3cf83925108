#pragma once

#include <string_view>

#include "base/file_time.h"

// What stands between an entry's time stamp and its name.
inline constexpr std::string_view kPrefixGap = "    ";
// Every entry text opens with its time stamp and the gap: the prefix.
inline constexpr std::size_t kEntryPrefixLength = kTimeStampLength + kPrefixGap.size();

// The sixteen hyphens a separator entry carries after its prefix.
inline constexpr std::string_view kSeparatorDashes = "----------------";

// The recorded name an entry shows after its prefix; empty when it has none.
std::string_view EntryName(std::string_view text, std::size_t prefixLen = kEntryPrefixLength);

// Where an entry stands among the entries that share its prefix.
enum class EntryKind { EmptyName, Separator, Named };

EntryKind ClassifyEntry(std::string_view text);

// The list's order: by time stamp, then a name-less entry, then separators,
// then names without regard to ASCII case; exact bytes break remaining ties.
// Returns <0, 0 or >0.
int CompareEntries(std::string_view a, std::string_view b);

// Whether two texts carry the same prefix in the list's order.
bool SamePrefix(std::string_view a, std::string_view b);
