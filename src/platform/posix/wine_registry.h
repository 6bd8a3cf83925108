#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/installation_registry.h"

// The entry chosen among the prefixes, and how, for the player who asks.
struct PrefixSearch {
    InstallationEntry entry;
    // What each prefix held and why the entry was chosen: lines for standard error.
    std::string account;
};

// The game's installation entry from the registry files <prefix>/system.reg,
// mapped to a Unix path through the prefix's dosdevices links. The game is a
// 32-bit program: in a 64-bit prefix its entry sits under Wow6432Node.
// When several prefixes name a game folder, the game the player plays wins:
// the one whose Cache/cache.ini was written last; without any such index, the
// first prefix searched.
class WineRegistry final : public InstallationRegistry {
  public:
    explicit WineRegistry(std::vector<std::filesystem::path> prefixes)
        : prefixes_(std::move(prefixes)) {}
    InstallationEntry ReadGameFolderEntry() override;
    PrefixSearch Search() const;

  private:
    std::vector<std::filesystem::path> prefixes_;
};
