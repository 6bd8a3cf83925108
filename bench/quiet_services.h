#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "app/vorpane_dlg.h"
#include "platform/file_system.h"

#include "platform/installation_registry.h"
#include "platform/process_exit.h"
#include "ui/about_box.h"
#include "ui/folder_chooser.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

// Services that show nothing: the benchmark measures the logic and the disk.
struct QuietServices : ListView, MessageBoxes, FolderChooser, InstallationRegistry, AboutBox {
    explicit QuietServices(const std::string& gameDir) : gameDir_(gameDir) {}

    void ShowEntries(const CacheList& list) override { shown = &list; }
    std::vector<int> SelectedIndices() const override { return {}; }
    BoxButton Show(const std::string&, const std::string&, BoxStyle) override {
        ++boxes;
        return BoxButton::Ok;
    }
    std::optional<std::string> Choose(const std::string&) override { return std::nullopt; }
    InstallationEntry ReadGameFolderEntry() override { return {true, gameDir_ + '\0'}; }
    void ShowAbout() override {}

    int boxes = 0;
    const CacheList* shown = nullptr;

  private:
    std::string gameDir_;
};

// The main window's logic on a game folder, showing nothing; opened (one
// refresh) when constructed. Members in the order they are built.
struct QuietDialog {
    explicit QuietDialog(const std::string& gameDir)
        : services(gameDir),
          files(MakeNativeFileSystem()),
          dialog(DialogServices{services, services, services, services, *files, exit, services,
                                "vorpane_bench"}),
          cacheDir(gameDir + "/Cache/"),
          indexPath(cacheDir + "cache.ini") {
        dialog.RunHandler(&CVorpaneDlg::OnInitDialog);
    }

    const CacheList& List() const { return *services.shown; }

    QuietServices services;
    std::unique_ptr<FileSystem> files;
    RuntimeProcessExit exit;
    CVorpaneDlg dialog;
    std::string cacheDir;
    std::string indexPath;
};
