#include <cstdio>
#include <string>
#include <vector>

#include "app/vorpane_dlg.h"
#include "cache/cache_record.h"
#include "platform/file_system.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

void CVorpaneDlg::OnDelete() {
    const std::vector<int> selected = m_services.view.SelectedIndices();
    for (const int index : selected) {
        const std::string* record = m_list.Record(index);
        if (record == nullptr) {
            continue;
        }
        const std::string path(RecordPath(*record));
        const int error = m_services.files.RemoveFile(path);
        if (error != 0) {
            const std::string message =
                "Warning: " + std::to_string(error) + "\nCould NOT Delete\n" + EntryName(index);
            m_services.boxes.Show(message, "Error Deleting File", BoxStyle::Warning);
        }
    }
    ClearCacheList();
    RefreshCacheList();
}
