#pragma once

#include <optional>
#include <string>

// The game's installation entry: the value "Folder" under
// HKLM\Software\Unreal Technology\Installed Apps\UnrealTournament.
struct InstallationEntry {
    bool keyFound = false;
    // The value's bytes as stored, a text's terminator included; nothing
    // when the value cannot be read.
    std::optional<std::string> folderData;
};

class InstallationRegistry {
  public:
    virtual ~InstallationRegistry() = default;
    virtual InstallationEntry ReadGameFolderEntry() = 0;
};
