#pragma once

#include "platform/installation_registry.h"

// The game's entry from the Wine prefixes this process's environment points
// to, searched only when it is asked for: with a game folder given on the
// command line none of their files is read. `verbose` tells on standard
// error where it was looked for and which prefix was chosen. No toolkit
// call: it may run on any thread.
class WinePrefixesRegistry final : public InstallationRegistry {
  public:
    explicit WinePrefixesRegistry(bool verbose = false) : verbose_(verbose) {}
    InstallationEntry ReadGameFolderEntry() override;

  private:
    bool verbose_;
};
