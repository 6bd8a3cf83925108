#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cache/cache_refresh.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "location/game_folder.h"
#include "ops/selected_files.h"
#include "platform/file_system.h"

class AboutBox;
class EarlyRefresh;
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
    // The cache folder of the game in a folder the player names, which may be
    // an installation of the game's native Linux build whose downloads are in
    // the player's home (location/cache_folder.h); none where there is no
    // such build: the folder's own Cache folder then.
    CacheFolderLookup playerCacheFolder = nullptr;
    // Whether files of this cache folder are named by the names' characters
    // in UTF-8 rather than by the bytes cache.ini holds: on a system that
    // keeps names in UTF-8, for a game that asks for its files by character
    // (the game under Wine, and today's native build). None: as stored.
    std::function<bool(const std::string& cacheDir)> unicodeNames = nullptr;
    // The index read while the window was being made, if it was.
    EarlyRefresh* early = nullptr;
};

// The main window's logic: the game paths, the list of cached files and the
// handlers of the commands. The front ends route their events here; each
// handler is a short call into the catalogue, the commands or the game
// location.
class CVorpaneDlg {
  public:
    explicit CVorpaneDlg(DialogServices services);

    using Handler = void (CVorpaneDlg::*)();

    // Runs a handler as every window message is run: a FileError is shown as
    // the file error report and ends the handler; the view shows the list as
    // it stands, behind the report too.
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
    // (0 when it is empty and nothing changed). A folder from the player may
    // be a native installation whose cache is in the player's home.
    std::size_t SetGameFolder(const std::string& path, FolderSource source);

    void RefreshCacheList();
    void ClearCacheList();
    void MarkDownloadBatches();

    void LocateGameFolder();
    void AskForGameFolderAgain();

  private:
    FolderPrompts Prompts() const;
    // The files of the rows the player selected.
    std::vector<SelectedFile> SelectedCacheFiles() const;
    void SyncView();
    // Takes the early pass's list when it read the index this refresh would.
    bool AdoptEarlyIndex();
    // RefreshCacheList; whether to say that the list stops at text that does not decode.
    void Refresh(bool tellUndecodable);
    // A warning box: the index's path, then `aboutIndex`.
    void Warn(const std::string& aboutIndex);

    DialogServices m_services;
    std::string m_cacheDir;
    std::string m_cacheIniPath;
    std::string m_gameDir;
    // Every entry text opens with a prefix of this length; the name follows.
    std::size_t m_prefixLen = kEntryPrefixLength;
    CacheList m_list;
    // What the last refresh read of the index besides the list.
    IndexReading m_indexRead;
    // The view starts empty, as the list does.
    std::uint64_t m_shownRevision = 0;
};
