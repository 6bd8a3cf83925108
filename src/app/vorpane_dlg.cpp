#include "app/vorpane_dlg.h"

#include <utility>

#include "cache/cache_record.h"
#include "base/file_error.h"
#include "platform/path_separator.h"
#include "ui/about_box.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

CVorpaneDlg::CVorpaneDlg(DialogServices services) : m_services(std::move(services)) {}

void CVorpaneDlg::RunHandler(Handler handler) {
    try {
        (this->*handler)();
    } catch (const FileError& error) {
        ShowFileErrorReport(error);
    }
    SyncView();
}

void CVorpaneDlg::ShowFileErrorReport(const FileError& error) {
    m_services.boxes.Show(error.ReportText(), m_services.programName, BoxStyle::Stop);
}

void CVorpaneDlg::SyncView() {
    if (m_list.Revision() != m_shownRevision) {
        m_services.view.ShowEntries(m_list);
        m_shownRevision = m_list.Revision();
    }
}

std::string CVorpaneDlg::EntryName(int index) const {
    const std::string& text = m_list.Text(index);
    return text.size() > m_prefixLen ? text.substr(m_prefixLen) : std::string();
}

void CVorpaneDlg::ForEachSelectedFile(
    const std::function<void(const std::string& path, const std::string& name)>& act) {
    for (const int index : m_services.view.SelectedIndices()) {
        if (const std::string* record = m_list.Record(index)) {
            act(std::string(RecordPath(*record)), EntryName(index));
        }
    }
}

void CVorpaneDlg::OnInitDialog() {
    RefreshCacheList();
}

void CVorpaneDlg::OnClose() {
    ClearCacheList();
}

void CVorpaneDlg::OnAbout() {
    m_services.about.ShowAbout();
}

std::size_t CVorpaneDlg::SetGameFolder(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    m_gameDir = path;
    if (m_gameDir.back() != kPathSeparator) {
        m_gameDir += kPathSeparator;
    }
    m_cacheDir = m_gameDir + "Cache" + kPathSeparator;
    m_cacheIniPath = m_cacheDir + "cache.ini";
    return path.size();
}
