#pragma once

#include "platform/installation_registry.h"

// The game's entry in the registry of this machine, in the 32-bit view the
// game itself writes to.
class Win32InstallationRegistry final : public InstallationRegistry {
  public:
    InstallationEntry ReadGameFolderEntry() override;
};
