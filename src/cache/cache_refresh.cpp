#include <algorithm>
#include <utility>
#include <vector>

#include "app/vorpane_dlg.h"
#include "cache/cache_index_file.h"
#include "cache/cache_record.h"
#include "base/file_time.h"
#include "platform/file_system.h"
#include "platform/path_separator.h"

namespace {

// A key that would reach outside the cache folder, or that no system can
// pass on as a file name, names no cache file.
bool KeyCanNameCacheFile(std::string_view key) {
    const bool plain = std::none_of(key.begin(), key.end(),
                                    [](char c) { return c == '\\' || c == '/' || c == '\0'; });
    return plain && key != "." && key != "..";
}

// Entries read so far go into the list even when reading fails part way,
// so that the list keeps what was added before the error.
class PendingEntries {
  public:
    explicit PendingEntries(CacheList& list) : list_(list) {}
    ~PendingEntries() { list_.AddEntries(std::move(entries_)); }
    PendingEntries(const PendingEntries&) = delete;
    PendingEntries& operator=(const PendingEntries&) = delete;

    void Add(std::string text, std::string record) {
        entries_.push_back(CacheListEntry{std::move(text), std::move(record)});
    }
    void Commit() { list_.AddEntries(std::exchange(entries_, {})); }

  private:
    CacheList& list_;
    std::vector<CacheListEntry> entries_;
};

}  // namespace

void CVorpaneDlg::RefreshCacheList() {
    if (m_gameDir.empty()) {
        LocateGameFolder();
    }
    CacheIndexFile index(m_services.files);
    while (!index.OpenCacheIndex(m_cacheIniPath)) {
        AskForGameFolderAgain();
    }

    PendingEntries pending(m_list);
    std::string line;
    std::string path;
    IndexEntry entry;
    while (index.ReadIndexLine(line)) {
        if (!ParseIndexLine(line, entry) || !KeyCanNameCacheFile(entry.key)) {
            continue;
        }
        path.assign(m_cacheDir).append(entry.key).append(kCacheFileExtension);
        const std::optional<CacheFileInfo> info = m_services.files.QueryCacheFile(path);
        if (!info) {
            continue;
        }
        std::string text;
        text.reserve(kTimeStampLength + 4 + entry.name.size());
        AppendTimeStamp(text, info->created);
        text.append("    ");
        m_prefixLen = text.size();
        text.append(entry.name);
        pending.Add(std::move(text), MakeCacheRecord(path, info->size));
    }
    pending.Commit();
    index.CloseCacheIndex();

    if (m_list.Count() > 0) {
        MarkDownloadBatches();
    }
}

void CVorpaneDlg::ClearCacheList() {
    for (int i = m_list.Count() - 1; i >= 0; --i) {
        m_list.Delete(i);
    }
}
