#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "ui/cache_list.h"

class AboutBox;
class FileSystem;
class FolderChooser;
class InstallationRegistry;
class ListView;
class MessageBoxes;
class ProcessExit;

// Everything the main window's logic reaches the system through.
struct DialogServices {
    ListView& view;
    MessageBoxes& boxes;
    FolderChooser& chooser;
    InstallationRegistry& registry;
    FileSystem& files;
    ProcessExit& exit;
    AboutBox& about;
    // The executable's name without its extension: the file error report's caption.
    std::string programName;
};

// The main window's logic: the game paths, the list of cached files and the
// handlers of the commands. The front ends route their events here.
class CVorpaneDlg {
  public:
    explicit CVorpaneDlg(DialogServices services);

    using Handler = void (CVorpaneDlg::*)();

    // Runs a handler as every window message is run: a FileError is shown as
    // the file error report and ends the handler, and the view then shows
    // the list as it stands.
    void RunHandler(Handler handler);

    // Fills the list before the window is first shown.
    void OnInitDialog();
    // The close box: frees the list; the front end then ends the window.
    void OnClose();

    void OnAbout();
    void OnExtract();
    void OnDelete();
    void OnCompact();

    // The only writer of the game paths; returns the length of `path`
    // (0 when it is empty and nothing changed).
    std::size_t SetGameFolder(const std::string& path);

    void RefreshCacheList();
    // Rewrites cache.ini with the listed entries, in list order.
    void WriteCompactedIndex();
    void ClearCacheList();
    void MarkDownloadBatches();

    void LocateGameFolder();
    void AskForGameFolderAgain();
    // Fills a buffer of kPathBufferSize bytes; returns the path's length, 0
    // for a path that does not fit. Ends the process when the user cancels.
    std::size_t BrowseForGameFolder(char* buffer);

    const std::string& GameDir() const { return m_gameDir; }
    const std::string& CacheDir() const { return m_cacheDir; }
    const std::string& CacheIniPath() const { return m_cacheIniPath; }
    std::size_t PrefixLen() const { return m_prefixLen; }
    const CacheList& List() const { return m_list; }

  private:
    // The recorded name an entry shows after its time stamp.
    std::string EntryName(int index) const;
    // Calls `act` with the cache-file path and the name of every selected
    // entry that has a file (separators have none), in row order.
    void ForEachSelectedFile(
        const std::function<void(const std::string& path, const std::string& name)>& act);
    void ExtractFile(const std::string& source, const std::string& name);
    void ShowFileErrorReport(const class FileError& error);
    void SyncView();

    DialogServices m_services;
    std::string m_cacheDir;
    std::string m_cacheIniPath;
    std::string m_gameDir;
    std::size_t m_prefixLen = 0;
    CacheList m_list;
    std::uint64_t m_shownRevision = ~std::uint64_t{0};
};
