#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/file_time.h"

class CacheList;

// Assumed download rate: 300 KiB a minute.
inline constexpr std::uint32_t kBatchBytesPerMinute = 307'200;

// The time an entry's text shows, read back from its fixed positions;
// 0 when those characters do not form a valid time.
FileTime EntryTime(std::string_view text);

// When the download of a file of `size` bytes (as read back from a record)
// that arrived at `arrival` is estimated to have ended.
FileTime EstimatedDownloadEnd(FileTime arrival, std::int32_t size);

// Inserts a separator (an entry's prefix and 16 hyphens, no record) in a
// sorted list wherever an entry arrived at or after the estimated end of the
// previous entry's download. One pass, whatever the list's length.
void MarkDownloadBatches(CacheList& list, std::size_t prefixLen);
