#include "cache/cache_refresh.h"

#include <algorithm>
#include <optional>
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

// The index lines that name a cache file, in file order.
struct IndexedFiles {
    std::vector<std::string> fileNames;  // key and extension
    std::vector<std::string> names;      // as recorded
};

void ReadIndexedFiles(CacheIndexFile& index, IndexedFiles& indexed) {
    std::string line;
    IndexEntry entry;
    while (index.ReadIndexLine(line)) {
        if (!ParseIndexLine(line, entry) || !KeyCanNameCacheFile(entry.key)) {
            continue;
        }
        indexed.fileNames.push_back(std::string(entry.key).append(kCacheFileExtension));
        indexed.names.emplace_back(entry.name);
    }
}

// Asks for all files at once, so the system may spread the queries; the
// entries are then made in file order.
void AddOpenableFiles(IndexedFiles indexed, const std::string& cacheDir, FileSystem& files,
                      CacheList& list) {
    const std::vector<std::optional<CacheFileInfo>> infos =
        files.QueryCacheFiles(cacheDir, indexed.fileNames);
    std::vector<CacheListEntry> entries;
    entries.reserve(infos.size());
    std::string path;
    for (std::size_t i = 0; i < infos.size(); ++i) {
        const std::optional<CacheFileInfo>& info = infos[i];
        if (!info) {
            continue;
        }
        std::string text;
        text.reserve(kEntryPrefixLength + indexed.names[i].size());
        AppendTimeStamp(text, info->created);
        text.append(kPrefixGap).append(indexed.names[i]);
        path.assign(cacheDir).append(indexed.fileNames[i]);
        entries.push_back(CacheListEntry{std::move(text), MakeCacheRecord(path, info->size)});
    }
    list.AddEntries(std::move(entries));
}

}  // namespace

void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list) {
    IndexedFiles indexed;
    try {
        ReadIndexedFiles(index, indexed);
    } catch (const FileError&) {
        // The list keeps what was read before the failure.
        AddOpenableFiles(std::move(indexed), cacheDir, files, list);
        throw;
    }
    AddOpenableFiles(std::move(indexed), cacheDir, files, list);
}
