#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A record is the cache file's path followed by the low 32 bits of its size
// in 8 lower-case hex digits.
inline constexpr std::size_t kRecordSizeDigits = 8;

// A cache file is named by its key and this extension.
inline constexpr std::string_view kCacheFileExtension = ".uxx";

std::string MakeCacheRecord(std::string_view path, std::uint64_t size);
// The size digits of a record, after its path in `record`.
void AppendRecordSize(std::string& record, std::uint64_t size);

// The record without its size digits.
std::string_view RecordPath(std::string_view record);

// The size digits read back in 32-bit arithmetic that wraps, taken as signed:
// each hex digit of either case adds its value, any other character nothing.
std::int32_t RecordSize(std::string_view record);
