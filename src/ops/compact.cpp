#include <algorithm>
#include <string>
#include <string_view>

#include "app/vorpane_dlg.h"
#include "cache/cache_index_file.h"
#include "cache/cache_record.h"

namespace {

// What follows the key in a record: the extension and the size digits.
constexpr std::size_t kRecordTailAfterKey = kCacheFileExtension.size() + kRecordSizeDigits;

}  // namespace

void CVorpaneDlg::OnCompact() {
    WriteCompactedIndex();
    ClearCacheList();
    RefreshCacheList();
}

void CVorpaneDlg::WriteCompactedIndex() {
    CacheIndexFile index(m_services.files);
    index.CreateCacheIndex(m_cacheIniPath);
    index.WriteIndexText("[Cache]\n");
    const int count = m_list.Count();
    for (int i = 0; i < count; ++i) {
        const std::string* record = m_list.Record(i);
        if (record == nullptr) {
            continue;
        }
        const std::size_t keyEnd = record->size() - std::min(record->size(), kRecordTailAfterKey);
        const std::size_t keyBegin = std::min(m_cacheDir.size(), keyEnd);
        const std::string_view text = m_list.Text(i);
        index.WriteIndexEntry(std::string_view(*record).substr(keyBegin, keyEnd - keyBegin),
                              text.substr(std::min(m_prefixLen, text.size())));
    }
    index.WriteIndexText("\n");
    index.CloseCacheIndex();
}
