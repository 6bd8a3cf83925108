#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/file_time.h"
#include "list/entry_order.h"
#include "support/list_rows.h"

// The plain walk the batch marking must agree with: index i over the sorted
// rows, each separator inserted at its sorted place and i stepped past it,
// the time read back digit by digit and the size digit by digit, in the
// arithmetic the game's own tool used.
inline std::vector<CacheListEntry> LiteralMarkDownloadBatches(std::vector<CacheListEntry> rows) {
    FileTime prevEnd = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].record) {
            continue;
        }
        const std::string text = rows[i].text;
        const std::string digits = rows[i].record->substr(rows[i].record->size() - 8);
        const auto digit = [&](std::size_t pos) { return text[pos] - '0'; };
        const auto number = [&](std::size_t pos, int width) {
            int value = 0;
            for (int k = 0; k < width; ++k) {
                value = value * 10 + digit(pos + static_cast<std::size_t>(k));
            }
            return value;
        };
        const FileTime t =
            CalendarToFileTime({number(0, 4), number(5, 2), number(8, 2), number(11, 2),
                                number(14, 2), number(17, 2), number(20, 3)})
                .value_or(0);
        if (i != 0 && t >= prevEnd) {
            CacheListEntry separator{text.substr(0, kEntryPrefixLength) + "----------------", {}};
            const auto place =
                std::lower_bound(rows.begin(), rows.end(), separator.text,
                                 [](const CacheListEntry& row, const std::string& s) {
                                     return CompareEntries(row.text, s) < 0;
                                 });
            rows.insert(place, std::move(separator));
            ++i;
        }
        std::uint32_t value = 0;
        for (const char c : digits) {
            value = value * 16 + static_cast<std::uint32_t>(c >= '0' && c <= '9'   ? c - '0'
                                                            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                                   : 0);
        }
        const auto size = static_cast<std::int32_t>(value);
        prevEnd = size > 0
                      ? t + std::uint64_t{(static_cast<std::uint32_t>(size) + 307199u) / 307200u} *
                                600'000'000ULL
                      : t;
    }
    return rows;
}
