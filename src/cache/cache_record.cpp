#include "cache/cache_record.h"

#include <algorithm>

std::string MakeCacheRecord(std::string_view path, std::uint64_t size) {
    std::string record;
    record.reserve(path.size() + kRecordSizeDigits);
    record.append(path);
    AppendRecordSize(record, size);
    return record;
}

void AppendRecordSize(std::string& record, std::uint64_t size) {
    // The low 32 bits as "%.8x".
    char digits[kRecordSizeDigits];
    for (std::size_t i = kRecordSizeDigits; i-- > 0; size >>= 4) {
        digits[i] = "0123456789abcdef"[size & 0xf];
    }
    record.append(digits, kRecordSizeDigits);
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
