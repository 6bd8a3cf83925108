#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "list/entry_order.h"
#include "platform/path_separator.h"
#include "support/dialog_fixture.h"

// A temporary game folder: the commands are called on cache files made for
// them, or the window is opened on a whole cache.
class OpsFixture : public DialogFixture {
  protected:
    struct Entry {
        std::string key, name, time;
    };

    void MakeGameFolders(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            std::filesystem::create_directories(game.Root() / name);
        }
    }

    // Writes the cache file of `key`, as a command is given it.
    SelectedFile Cached(const std::string& key, const std::string& name,
                        const std::string& content = "data") {
        WriteWholeFile(CachePath(key), content);
        return {CachePath(key), name};
    }

    // Writes the cache files and cache.ini, then runs the start-up refresh.
    void Open(const std::vector<Entry>& entries, const std::string& extraIndexLines = "") {
        std::string index = "[Cache]\r\n";
        for (const Entry& entry : entries) {
            SetModificationTime(Cached(entry.key, entry.name).path, entry.time);
            index += entry.key + "=" + entry.name + "\r\n";
        }
        game.WriteIndex(index + extraIndexLines + "\r\n");
        ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        ASSERT_TRUE(boxes.shown.empty());
    }

    // The names the rows show, separators aside.
    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (const auto& row : view.rows) {
            if (row.record) {
                names.push_back(row.text.substr(kEntryPrefixLength));
            }
        }
        return names;
    }

    // The row that shows this name.
    int RowOf(const std::string& name) const {
        const auto row = std::find_if(view.rows.begin(), view.rows.end(), [&](const auto& entry) {
            return entry.text.substr(kEntryPrefixLength) == name;
        });
        return static_cast<int>(row - view.rows.begin());
    }

    std::string GameDir() const { return game.Dir() + kPathSeparator; }
    std::string CacheDir() const { return GameDir() + "Cache" + kPathSeparator; }
    std::string CachePath(const std::string& key) const { return CacheDir() + key + ".uxx"; }
};
