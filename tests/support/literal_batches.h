#pragma once

#include <cstdint>
#include <string>

#include "base/file_time.h"
#include "ui/cache_list.h"

// The algorithm step by step as it reads, inserting into the sorted list.
inline void LiteralMarkDownloadBatches(CacheList& list, std::size_t prefixLen) {
    FileTime prevEnd = 0;
    int i = 0;
    while (i < list.Count()) {
        const std::string* record = list.Record(i);
        if (record != nullptr) {
            const std::string digits = record->substr(record->size() - 8);
            const std::string& text = list.Text(i);
            auto digit = [&](std::size_t pos) {
                return static_cast<unsigned char>(text[pos]) - '0';
            };
            CalendarTime calendar;
            calendar.year = digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3);
            calendar.month = digit(5) * 10 + digit(6);
            calendar.day = digit(8) * 10 + digit(9);
            calendar.hour = digit(11) * 10 + digit(12);
            calendar.minute = digit(14) * 10 + digit(15);
            calendar.second = digit(17) * 10 + digit(18);
            calendar.milliseconds = digit(20) * 100 + digit(21) * 10 + digit(22);
            const FileTime t = CalendarToFileTime(calendar).value_or(0);
            if (i != 0 && t >= prevEnd) {
                list.AddText(text.substr(0, prefixLen) + "----------------");
                ++i;
            }
            std::uint32_t value = 0;
            for (const char c : digits) {
                value *= 16;
                if (c >= '0' && c <= '9')
                    value += static_cast<std::uint32_t>(c - '0');
                if (c >= 'a' && c <= 'f')
                    value += static_cast<std::uint32_t>(c - 'a' + 10);
                if (c >= 'A' && c <= 'F')
                    value += static_cast<std::uint32_t>(c - 'A' + 10);
            }
            const auto size = static_cast<std::int32_t>(value);
            if (size > 0) {
                const std::uint32_t minutes =
                    (static_cast<std::uint32_t>(size) + 307199u) / 307200u;
                prevEnd = t + std::uint64_t{minutes} * 600'000'000ULL;
            } else {
                prevEnd = t;
            }
        }
        ++i;
    }
}
