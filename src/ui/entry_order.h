#pragma once

#include <string_view>

// Length of the time stamp and the four spaces that open every entry text.
inline constexpr std::size_t kEntryPrefixLength = 27;

// The sixteen hyphens a separator entry carries after its prefix.
inline constexpr std::string_view kSeparatorDashes = "----------------";

// Where an entry stands among the entries that share its prefix.
enum class EntryKind { EmptyName, Separator, Named };

EntryKind ClassifyEntry(std::string_view text);

// The list's order: by time stamp, then a name-less entry, then separators,
// then names without regard to ASCII case; exact bytes break remaining ties.
// Returns <0, 0 or >0.
int CompareEntries(std::string_view a, std::string_view b);

// Whether two texts carry the same prefix in the list's order.
bool SamePrefix(std::string_view a, std::string_view b);
