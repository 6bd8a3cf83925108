#include <string>

#include "app/vorpane_dlg.h"
#include "platform/file_system.h"
#include "ui/message_boxes.h"

void CVorpaneDlg::OnDelete() {
    ForEachSelectedFile([this](const std::string& path, const std::string& name) {
        if (const int error = m_services.files.RemoveFile(path); error != 0) {
            m_services.boxes.Show(
                "Warning: " + std::to_string(error) + "\nCould NOT Delete\n" + name,
                "Error Deleting File", BoxStyle::Warning);
        }
    });
    ClearCacheList();
    RefreshCacheList();
}
