#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/vorpane_dlg.h"
#include "location/cache_folder.h"
#include "platform/installation_registry.h"
#include "platform/process_exit.h"
#include "support/list_rows.h"
#include "ui/about_box.h"
#include "ui/folder_chooser.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

struct ShownBox {
    std::string text;
    std::string caption;
    BoxStyle style;
};

// Records every box; answers from a script, OK or No when it runs out.
class FakeBoxes : public MessageBoxes {
  public:
    BoxButton Show(const std::string& text, const std::string& caption, BoxStyle style) override {
        shown.push_back({text, caption, style});
        if (whenShown) {
            whenShown();
        }
        if (!answers.empty()) {
            const BoxButton answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return style == BoxStyle::Confirmation ? BoxButton::No : BoxButton::Ok;
    }
    std::vector<ShownBox> shown;
    std::deque<BoxButton> answers;
    std::function<void()> whenShown;
};

// Answers from a script; cancels when it runs out.
class FakeChooser : public FolderChooser {
  public:
    std::optional<std::string> Choose(const std::string& title) override {
        titles.push_back(title);
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> titles;
};

class FakeRegistry : public InstallationRegistry {
  public:
    InstallationEntry ReadGameFolderEntry() override { return entry; }
    // A folder stored as Windows stores a text value: with its terminator.
    void SetFolder(const std::string& folder) {
        entry.keyFound = true;
        entry.folderData = folder + '\0';
    }
    InstallationEntry entry;
};

// Thrown in place of ending the process, so a test sees the exit code.
struct ProcessEnded {
    int code;
};

class FakeExit : public ProcessExit {
  public:
    [[noreturn]] void Exit(int code) override { throw ProcessEnded{code}; }
};

// Keeps what the window would show, and a selection the test sets.
class FakeView : public ListView {
  public:
    void ShowEntries(const CacheList& list) override {
        ++loads;
        rows = RowsOf(list);
        selected.clear();
    }
    std::vector<int> SelectedIndices() const override { return selected; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const CacheListEntry& row : rows) {
            texts.push_back(row.text);
        }
        return texts;
    }

    int loads = 0;
    std::vector<CacheListEntry> rows;
    std::vector<int> selected;
};

class FakeAbout : public AboutBox {
  public:
    void ShowAbout() override { ++shown; }
    int shown = 0;
};

// Every faked service of the main window, for a dialog over the given files.
struct FakeServices {
    DialogServices For(FileSystem& files) {
        DialogServices services{view, boxes, chooser, registry, files, exit, about, "vorpane"};
        if (playerHome) {
            services.playerCacheFolder = [home = playerHome](const std::string& gameDir,
                                                             FileSystem& lookIn) {
                return CacheFolderOf(gameDir, home, lookIn);
            };
            if (unicodeFileNames) {
                services.unicodeNames = [home = playerHome](const std::string& cacheDir) {
                    return !AsksForStoredBytes(cacheDir, home);
                };
            }
        }
        return services;
    }

    FakeView view;
    FakeBoxes boxes;
    FakeChooser chooser;
    FakeRegistry registry;
    FakeExit exit;
    FakeAbout about;
    std::optional<std::string> playerHome;
    bool unicodeFileNames = false;
};
