// The time-stamp read-back and the size parse on arbitrary entry texts, and
// the calendar conversion on arbitrary times.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cache/cache_record.h"
#include "cache/download_batches.h"
#include "base/file_time.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FileTime time = EntryTime(text);
    const std::int32_t fileSize = RecordSize(text);
    const FileTime end = EstimatedDownloadEnd(time, fileSize);
    if (end < time || (fileSize <= 0 && end != time)) {
        std::abort();
    }
    if (time != 0 && time <= kLatestShownFileTime) {
        // A text that reads back as a valid time of a four-digit year shows
        // that time when formatted anew.
        if (EntryTime(FormatTimeStamp(time)) != time) {
            std::abort();
        }
    }
    if (size >= 8) {
        FileTime any;
        std::memcpy(&any, data, sizeof any);
        const std::string stamp = FormatTimeStamp(any);
        if (stamp.size() != kTimeStampLength) {
            std::abort();
        }
        const FileTime shown = any > kLatestShownFileTime ? kLatestShownFileTime : any;
        if (EntryTime(stamp) !=
            shown / kFileTimeUnitsPerMillisecond * kFileTimeUnitsPerMillisecond) {
            std::abort();
        }
    }
    return 0;
}
