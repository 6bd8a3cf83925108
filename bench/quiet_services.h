#pragma once

#include <cstdlib>

#include "platform/installation_registry.h"
#include "platform/process_exit.h"
#include "ui/about_box.h"
#include "ui/folder_chooser.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

// Services that show nothing: the benchmark measures the logic and the disk.
struct QuietServices : ListView, MessageBoxes, FolderChooser, InstallationRegistry, AboutBox {
    explicit QuietServices(const std::string& gameDir) : gameDir_(gameDir) {}

    void ShowEntries(const CacheList&) override {}
    std::vector<int> SelectedIndices() const override { return {}; }
    BoxButton Show(const std::string&, const std::string&, BoxStyle) override {
        ++boxes;
        return BoxButton::Ok;
    }
    std::optional<std::string> Choose(const std::string&) override { return std::nullopt; }
    InstallationEntry ReadGameFolderEntry() override { return {true, gameDir_ + '\0'}; }
    void ShowAbout() override {}

    int boxes = 0;

  private:
    std::string gameDir_;
};
