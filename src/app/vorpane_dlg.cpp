#include "app/vorpane_dlg.h"

#include <utility>

#include "app/early_refresh.h"
#include "base/file_error.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "cache/download_batches.h"
#include "ops/compact.h"
#include "ops/delete.h"
#include "ops/extract.h"
#include "ui/about_box.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

namespace {

// Said of cache.ini at refresh and at Compact alike.
constexpr const char* kDoesNotDecode = " does not decode as the text its byte-order mark names.";

}  // namespace

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
    ExtractFiles(SelectedCacheFiles(), m_gameDir, m_services.files, m_services.boxes,
                 m_services.unicodeNames && m_services.unicodeNames(m_cacheDir));
    ClearCacheList();
    RefreshCacheList();
}

void CVorpaneDlg::OnDelete() {
    DeleteFiles(SelectedCacheFiles(), m_services.files, m_services.boxes);
    ClearCacheList();
    RefreshCacheList();
}

void CVorpaneDlg::OnCompact() {
    const CompactResult result = WriteCompactedIndex(m_list, m_indexRead, m_cacheDir,
                                                     m_cacheIniPath, m_prefixLen, m_services.files);
    // Left as it was, and said so; the list shows the file as it is now.
    switch (result) {
        case CompactResult::Written:
            break;
        case CompactResult::Undecodable:
            Warn(kDoesNotDecode + std::string("\nIt was left as it was."));
            break;
        case CompactResult::EncodingChanged:
            Warn(
                " was rewritten in another encoding since the list was read.\nIt was left as it "
                "was; compact it again.");
            break;
        case CompactResult::KeptChanging:
            Warn(
                " is being written by another program, the game perhaps.\nIt was left as it "
                "was; compact it again when the game is done.");
            break;
    }
    ClearCacheList();
    // The box just said that the file does not decode.
    Refresh(result != CompactResult::Undecodable);
}

void CVorpaneDlg::Warn(const std::string& aboutIndex) {
    m_services.boxes.Show(m_cacheIniPath + aboutIndex, m_services.programName, BoxStyle::Warning);
}

std::size_t CVorpaneDlg::SetGameFolder(const std::string& path, FolderSource source) {
    if (path.empty()) {
        return 0;
    }
    // A folder the game's entry names is a Windows installation: nothing is
    // looked for outside it.
    GamePaths paths =
        GamePathsOf(path, source == FolderSource::Player ? m_services.playerCacheFolder : nullptr,
                    m_services.files);
    m_gameDir = std::move(paths.gameDir);
    m_cacheDir = std::move(paths.cacheDir);
    m_cacheIniPath = std::move(paths.cacheIniPath);
    return path.size();
}

void CVorpaneDlg::RefreshCacheList() {
    Refresh(true);
}

void CVorpaneDlg::Refresh(bool tellUndecodable) {
    if (m_gameDir.empty()) {
        LocateGameFolder();
    }
    // A refresh that fails tells a later Compact nothing of the file.
    m_indexRead = IndexReading{};
    if (!AdoptEarlyIndex()) {
        CacheIndexFile index(m_services.files);
        while (!index.OpenCacheIndex(m_cacheIniPath)) {
            // A command cleared the list before this refresh: the window shows
            // it empty behind the question, not the rows that were.
            SyncView();
            AskForGameFolderAgain();
        }
        AddCachedFiles(index, m_cacheDir, m_services.files, m_list, m_indexRead);
        index.CloseCacheIndex();
        if (m_list.Count() > 0) {
            MarkDownloadBatches();
        }
    }
    if (!m_indexRead.decodes && tellUndecodable) {
        SyncView();
        Warn(kDoesNotDecode + std::string("\nThe entries after that point are not shown."));
    }
}

bool CVorpaneDlg::AdoptEarlyIndex() {
    EarlyRefresh* early = std::exchange(m_services.early, nullptr);
    std::optional<EarlyIndex> index = early ? early->TakeIndex() : std::nullopt;
    if (!index || index->cacheIniPath != m_cacheIniPath || m_list.Count() != 0) {
        return false;
    }
    m_list = std::move(index->list);
    m_indexRead = std::move(index->reading);
    return true;
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
