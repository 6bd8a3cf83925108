#include "cache/cache_record.h"

#include <algorithm>

std::string MakeCacheRecord(std::string_view path, std::uint64_t size) {
    // The low 32 bits as "%.8x".
    std::string record;
    record.reserve(path.size() + kRecordSizeDigits);
    record.append(path);
    for (int shift = 28; shift >= 0; shift -= 4) {
        record += "0123456789abcdef"[(size >> shift) & 0xf];
    }
    return record;
}

std::string_view RecordPath(std::string_view record) {
    return record.substr(0, record.size() - std::min(record.size(), kRecordSizeDigits));
}

std::int32_t RecordSize(std::string_view record) {
    const std::string_view digits = record.substr(RecordPath(record).size());
    std::uint32_t value = 0;
    for (const char c : digits) {
        value *= 16;
        if (c >= '0' && c <= '9') {
            value += static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value += static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value += static_cast<std::uint32_t>(c - 'A' + 10);
        }
    }
    return static_cast<std::int32_t>(value);
}
