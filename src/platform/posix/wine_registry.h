#pragma once

#include <filesystem>
#include <optional>
#include <utility>

#include "platform/installation_registry.h"

// $WINEPREFIX, else ~/.wine; nothing when neither can be told.
std::optional<std::filesystem::path> DefaultWinePrefix();

// The game's installation entry from the registry file <prefix>/system.reg,
// its folder mapped to a Unix path through the prefix's dosdevices links. The
// game is a 32-bit program: in a 64-bit prefix its entry sits under
// Wow6432Node.
class WineRegistry final : public InstallationRegistry {
  public:
    explicit WineRegistry(std::optional<std::filesystem::path> prefix)
        : prefix_(std::move(prefix)) {}
    InstallationEntry ReadGameFolderEntry() override;

  private:
    std::optional<std::filesystem::path> prefix_;
};
