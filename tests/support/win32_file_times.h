#pragma once

#include <cstdint>
#include <filesystem>

// Windows shows a file's creation time, which the standard library cannot
// set: `time` in 100-nanosecond units since 1601, as the system counts.
// The last write time gets the same value, since Wine, having no creation
// time to set on most Linux file systems, derives it from that.
void SetCreationFileTime(const std::filesystem::path& path, std::uint64_t time);
