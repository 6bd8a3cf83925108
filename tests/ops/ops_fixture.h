#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_separator.h"
#include "support/dialog_fixture.h"
#include "ui/entry_order.h"

// A game folder with the game's own folders and a cache whose entries are
// added one by one; the window is then opened on it.
class OpsFixture : public DialogFixture {
  protected:
    struct Entry {
        std::string key;
        std::string name;
        std::string time = "2001-08-12 06:35:48.250";
        std::string content = "data";
    };

    void MakeGameFolders(const std::vector<std::string>& names = {"Maps", "Textures", "Music",
                                                                  "Sounds", "System"}) {
        for (const std::string& name : names) {
            std::filesystem::create_directories(game.Root() / name);
        }
    }

    // Writes the cache files and cache.ini, then runs the start-up refresh.
    void Open(const std::vector<Entry>& entries, const std::string& extraIndexLines = "") {
        std::string index = "[Cache]\r\n";
        for (const Entry& entry : entries) {
            const auto path = game.CacheDir() / (entry.key + ".uxx");
            if (!std::filesystem::exists(path)) {
                WriteWholeFile(path, entry.content);
                SetModificationTime(path, entry.time);
            }
            index += entry.key + "=" + entry.name + "\r\n";
        }
        index += extraIndexLines + "\r\n";
        game.WriteIndex(index);
        ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        ASSERT_TRUE(boxes.shown.empty());
    }

    // Selects the rows that show these names.
    void Select(const std::vector<std::string>& names) {
        view.selected.clear();
        for (int i = 0; i < static_cast<int>(view.rows.size()); ++i) {
            const CacheListEntry& row = view.rows[static_cast<std::size_t>(i)];
            const std::string name = row.text.substr(kEntryPrefixLength);
            for (const std::string& wanted : names) {
                if (name == wanted && row.record) {
                    view.selected.push_back(i);
                    break;
                }
            }
        }
        ASSERT_EQ(view.selected.size(), names.size());
    }

    void SelectAllRows() {
        view.selected.clear();
        for (int i = 0; i < static_cast<int>(view.rows.size()); ++i) {
            view.selected.push_back(i);
        }
    }

    std::string CachePath(const std::string& key) const {
        return (game.CacheDir() / (key + ".uxx")).string();
    }
    std::string GamePath(const std::string& relative) const {
        return game.Dir() + kPathSeparator + relative;
    }
    bool InCache(const std::string& key) const { return std::filesystem::exists(CachePath(key)); }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const CacheListEntry& row : view.rows) {
            if (row.record) {
                names.push_back(row.text.substr(kEntryPrefixLength));
            }
        }
        return names;
    }
};
