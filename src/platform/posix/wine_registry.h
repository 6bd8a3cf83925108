#pragma once

#include <filesystem>
#include <utility>
#include <vector>

#include "platform/installation_registry.h"

// The game's installation entry from the registry file <prefix>/system.reg
// of the first prefix whose entry names a folder, mapped to a Unix path
// through that prefix's dosdevices links. The game is a 32-bit program: in a
// 64-bit prefix its entry sits under Wow6432Node.
class WineRegistry final : public InstallationRegistry {
  public:
    explicit WineRegistry(std::vector<std::filesystem::path> prefixes)
        : prefixes_(std::move(prefixes)) {}
    InstallationEntry ReadGameFolderEntry() override;

  private:
    std::vector<std::filesystem::path> prefixes_;
};
