#include "app/vorpane_dlg.h"

#include <utility>

#include "base/file_error.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "cache/download_batches.h"
#include "ops/compact.h"
#include "ops/delete.h"
#include "ops/extract.h"
#include "platform/path_separator.h"
#include "ui/about_box.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

CVorpaneDlg::CVorpaneDlg(DialogServices services) : m_services(std::move(services)) {}

void CVorpaneDlg::RunHandler(Handler handler) {
    try {
        (this->*handler)();
    } catch (const FileError& error) {
        // The view draws its rows from the list: it must know what the list
        // holds before the box lets the window repaint.
        SyncView();
        m_services.boxes.Show(error.ReportText(), m_services.programName, BoxStyle::Stop);
    }
    SyncView();
}

void CVorpaneDlg::SyncView() {
    if (m_list.Revision() != m_shownRevision) {
        m_services.view.ShowEntries(m_list);
        m_shownRevision = m_list.Revision();
    }
}

FolderPrompts CVorpaneDlg::Prompts() const {
    return FolderPrompts{m_services.boxes, m_services.chooser, m_services.exit};
}

std::vector<SelectedFile> CVorpaneDlg::SelectedCacheFiles() const {
    return SelectedFiles(m_list, m_services.view.SelectedIndices(), m_prefixLen);
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

void CVorpaneDlg::OnExtract() {
    ExtractFiles(SelectedCacheFiles(), m_gameDir, m_services.files, m_services.boxes);
    ClearCacheList();
    RefreshCacheList();
}

void CVorpaneDlg::OnDelete() {
    DeleteFiles(SelectedCacheFiles(), m_services.files, m_services.boxes);
    ClearCacheList();
    RefreshCacheList();
}

void CVorpaneDlg::OnCompact() {
    // A refresh cut short left out the lines after the failure: written now,
    // they would be lost. The list is read whole first; while that fails,
    // its report is shown and nothing is written.
    if (!m_listWhole) {
        ClearCacheList();
        RefreshCacheList();
    }
    WriteCompactedIndex(m_list, m_cacheDir, m_cacheIniPath, m_prefixLen, m_services.files);
    ClearCacheList();
    RefreshCacheList();
}

std::size_t CVorpaneDlg::SetGameFolder(const std::string& path, FolderSource source) {
    if (path.empty()) {
        return 0;
    }
    m_gameDir = path;
    if (m_gameDir.back() != kPathSeparator) {
        m_gameDir += kPathSeparator;
    }
    // A folder the game's entry names is a Windows installation: nothing is
    // looked for outside it.
    m_cacheDir = source == FolderSource::Player && m_services.playerCacheFolder
                     ? m_services.playerCacheFolder(m_gameDir)
                     : m_gameDir + "Cache" + kPathSeparator;
    m_cacheIniPath = m_cacheDir + "cache.ini";
    return path.size();
}

void CVorpaneDlg::RefreshCacheList() {
    m_listWhole = false;
    if (m_gameDir.empty()) {
        LocateGameFolder();
    }
    CacheIndexFile index(m_services.files);
    while (!index.OpenCacheIndex(m_cacheIniPath)) {
        // A command cleared the list before this refresh: the window shows
        // it empty behind the question, not the rows that were.
        SyncView();
        AskForGameFolderAgain();
    }
    AddCachedFiles(index, m_cacheDir, m_services.files, m_list);
    index.CloseCacheIndex();
    if (m_list.Count() > 0) {
        MarkDownloadBatches();
    }
    m_listWhole = true;
}

void CVorpaneDlg::ClearCacheList() {
    m_list.Clear();
}

void CVorpaneDlg::MarkDownloadBatches() {
    ::MarkDownloadBatches(m_list, m_prefixLen);
}

void CVorpaneDlg::LocateGameFolder() {
    const LocatedFolder folder = ::LocateGameFolder(m_services.registry, Prompts());
    SetGameFolder(folder.path, folder.source);
}

void CVorpaneDlg::AskForGameFolderAgain() {
    SetGameFolder(::AskForGameFolderAgain(m_cacheIniPath, Prompts()), FolderSource::Player);
}
