#pragma once

#include <optional>
#include <string>
#include <vector>

#include "list/cache_list.h"

// One row as a view reads it: its text and, for a cache file, its record.
struct CacheListEntry {
    std::string text;
    std::optional<std::string> record;
};

inline std::vector<CacheListEntry> RowsOf(const CacheList& list) {
    std::vector<CacheListEntry> rows;
    for (int i = 0; i < list.Count(); ++i) {
        rows.push_back({std::string(list.Text(i)), list.Record(i)});
    }
    return rows;
}

// The rows appended and put in the list's order, as a refresh leaves them.
inline void Fill(CacheList& list, const std::vector<CacheListEntry>& rows) {
    for (const CacheListEntry& row : rows) {
        list.Append(row.text,
                    row.record ? std::optional<std::string_view>(*row.record) : std::nullopt);
    }
    list.SortAppended();
}
