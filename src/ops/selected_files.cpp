#include "ops/selected_files.h"

#include "cache/cache_record.h"
#include "list/cache_list.h"
#include "list/entry_order.h"

std::vector<SelectedFile> SelectedFiles(const CacheList& list, const std::vector<int>& rows,
                                        std::size_t prefixLen) {
    std::vector<SelectedFile> files;
    for (const int row : rows) {
        if (const std::optional<std::string> record = list.Record(row)) {
            files.push_back(SelectedFile{std::string(RecordPath(*record)),
                                         std::string(EntryName(list.Text(row), prefixLen))});
        }
    }
    return files;
}
