#include "ops/compact.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "cache/cache_index_file.h"
#include "cache/cache_record.h"
#include "list/cache_list.h"
#include "list/entry_order.h"

namespace {

// What follows the key in a record: the extension and the size digits.
constexpr std::size_t kRecordTailAfterKey = kCacheFileExtension.size() + kRecordSizeDigits;

}  // namespace

void WriteCompactedIndex(const CacheList& list, const std::string& cacheDir,
                         const std::string& cacheIniPath, std::size_t prefixLen,
                         FileSystem& files) {
    CacheIndexFile index(files);
    index.CreateCacheIndex(cacheIniPath);
    index.WriteIndexText("[Cache]\n");
    std::string entryRecord;
    for (int i = 0; i < list.Count(); ++i) {
        if (!list.RecordInto(i, entryRecord)) {
            continue;
        }
        const std::string_view record = entryRecord;
        const std::size_t keyEnd = record.size() - std::min(record.size(), kRecordTailAfterKey);
        const std::size_t keyBegin = std::min(cacheDir.size(), keyEnd);
        index.WriteIndexEntry(record.substr(keyBegin, keyEnd - keyBegin),
                              EntryName(list.Text(i), prefixLen));
    }
    index.WriteIndexText("\n");
    index.CloseCacheIndex();
}
