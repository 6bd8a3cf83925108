#include "cache/cache_refresh.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/file_error.h"
#include "base/file_time.h"
#include "cache/cache_index_file.h"
#include "cache/cache_record.h"
#include "platform/file_system.h"
#include "ui/cache_list.h"
#include "ui/entry_order.h"

namespace {

// A key that would reach outside the cache folder, or that no system can
// pass on as a file name, names no cache file.
bool KeyCanNameCacheFile(std::string_view key) {
    const bool plain = std::none_of(key.begin(), key.end(),
                                    [](char c) { return c == '\\' || c == '/' || c == '\0'; });
    return plain && key != "." && key != "..";
}

void ReadEntries(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                 std::vector<CacheListEntry>& entries) {
    std::string line;
    std::string path;
    IndexEntry entry;
    while (index.ReadIndexLine(line)) {
        if (!ParseIndexLine(line, entry) || !KeyCanNameCacheFile(entry.key)) {
            continue;
        }
        path.assign(cacheDir).append(entry.key).append(kCacheFileExtension);
        const std::optional<CacheFileInfo> info = files.QueryCacheFile(path);
        if (!info) {
            continue;
        }
        std::string text;
        text.reserve(kEntryPrefixLength + entry.name.size());
        AppendTimeStamp(text, info->created);
        text.append(kPrefixGap).append(entry.name);
        entries.push_back(CacheListEntry{std::move(text), MakeCacheRecord(path, info->size)});
    }
}

}  // namespace

void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list) {
    std::vector<CacheListEntry> entries;
    try {
        ReadEntries(index, cacheDir, files, entries);
    } catch (const FileError&) {
        // The list keeps what was read before the failure.
        list.AddEntries(std::move(entries));
        throw;
    }
    list.AddEntries(std::move(entries));
}
