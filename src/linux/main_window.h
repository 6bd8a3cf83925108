#pragma once

#include <wx/dialog.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/early_refresh.h"
#include "app/routing_table.h"
#include "app/vorpane_dlg.h"
#include "linux/about_dlg.h"
#include "linux/phase_marks.h"
#include "linux/toggle_list.h"
#include "linux/virtual_list_box.h"
#include "linux/wx_services.h"
#include "location/cache_folder.h"
#include "platform/file_system.h"
#include "platform/path_separator.h"
#include "platform/posix/home_folder.h"
#include "platform/posix/wine_prefixes.h"
#include "platform/posix/wine_registry.h"
#include "platform/process_exit.h"

// The game's entry from the Wine prefixes, searched only when it is asked
// for: with a game folder given on the command line none of their files is
// read. The environment is read when made, so that the search may run on
// another thread while the toolkit changes the environment. Told, it says
// on standard error where it looked and which prefix it chose.
class WinePrefixesRegistry final : public InstallationRegistry {
  public:
    explicit WinePrefixesRegistry(bool tell = false)
        : winePrefix_(Variable("WINEPREFIX")), home_(Variable("HOME")), tell_(tell) {}

    InstallationEntry ReadGameFolderEntry() override {
        const PrefixSearch search =
            WineRegistry(WinePrefixesToSearch(winePrefix_ ? winePrefix_->c_str() : nullptr,
                                              home_ ? home_->c_str() : nullptr))
                .Search();
        if (tell_) {
            if (winePrefix_ && !winePrefix_->empty()) {
                std::fputs("vorpane: WINEPREFIX is set: no other prefix is searched\n", stderr);
            }
            std::fputs(search.account.c_str(), stderr);
            std::fflush(stderr);
        }
        return search.entry;
    }

  private:
    static std::optional<std::string> Variable(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }

    std::optional<std::string> winePrefix_;
    std::optional<std::string> home_;
    bool tell_;
};

// The cache folder of an installation the player names: the native Linux
// build keeps its downloads in the player's home. Told, it says on standard
// error which folder of the home it chose, once, whichever thread and copy
// asks first.
inline CacheFolderLookup PlayerCacheFolder(bool tell = false) {
    struct Told {
        std::mutex mutex;
        std::string folder;
    };
    return [home = PlayerHomeFolder(), tell, told = std::make_shared<Told>()](
               const std::string& gameDir, FileSystem& files) {
        std::string folder = CacheFolderOf(gameDir, home, files);
        if (tell && folder != gameDir + "Cache" + kPathSeparator) {
            const std::lock_guard lock(told->mutex);
            if (folder != told->folder) {
                std::fprintf(stderr,
                             "vorpane: %s is an installation of the native Linux build: "
                             "its downloads are listed from %s\n",
                             gameDir.c_str(), folder.c_str());
                std::fflush(stderr);
                told->folder = folder;
            }
        }
        return folder;
    };
}

// The main window IDD_MAIN: the list of cached files and the four buttons.
// Its events go through the routing table to CVorpaneDlg's handlers.
class MainWindow final : public wxDialog {
  public:
    // `programName` captions the file error report; `gameDir`, when given,
    // is opened in place of the folder the game's entry names. `early`, if
    // any, read the game's entry and perhaps its index while the toolkit
    // started.
    MainWindow(const std::string& programName, const std::optional<std::string>& gameDir,
               EarlyRefresh* early, CacheFolderLookup playerCacheFolder = PlayerCacheFolder());
    ~MainWindow() override;

    // Fills the list before the window is first shown (warnings, the chooser
    // and "Could NOT be opened" come first), then runs the window until it
    // ends; `mark` is told "loaded" once the list is filled.
    int RunModal(const PhaseMarks& mark = {});

  private:
    void Dispatch(WindowEvent event, int controlId);

    void OnButton(wxCommandEvent& event);
    void OnCloseBox(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);

    // Owned by the window, which destroys it after all the members below:
    // they may use it until then.
    VirtualListBox* list_ = nullptr;
    std::unique_ptr<ToggleListBehaviour> toggle_;

    std::unique_ptr<WxListView> view_;
    std::unique_ptr<WxMessageBoxes> boxes_;
    std::unique_ptr<WxFolderChooser> chooser_;
    std::unique_ptr<WxAboutBox> about_;
    WinePrefixesRegistry registry_;
    std::unique_ptr<FileSystem> files_;
    RuntimeProcessExit exit_;
    std::unique_ptr<CVorpaneDlg> dlg_;

    wxDECLARE_EVENT_TABLE();
};
