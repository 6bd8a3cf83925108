#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/installation_registry.h"

// Wine keeps the machine's registry as text in <prefix>/system.reg. These
// helpers read that text; they use no system calls beyond the standard
// library, so they are tested on generated files.

// A quoted text of a registry file with Wine's escapes undone, as UTF-16
// code units. `text` starts after the opening quote or bracket; `consumed`
// becomes the count of characters read, the closing one included.
// Nothing when the closing character is missing.
std::optional<std::u16string> UnescapeWineText(std::string_view text, char closing,
                                               std::size_t& consumed);

// UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

struct WineRegistryLookup {
    bool keyFound = false;
    // The value's data as the narrow registry functions return it: texts in
    // UTF-8 with their terminator, other types as their raw bytes.
    std::optional<std::string> data;
};

// Looks up a value of a key (a path below the file's root, backslashes
// between its parts) in the text of a Wine registry file. Key and value
// names match without regard to case.
WineRegistryLookup FindWineRegistryValue(std::string_view fileText, std::string_view keyPath,
                                         std::string_view valueName);

// Whether the registry file belongs to a 64-bit prefix.
bool IsWin64Registry(std::string_view fileText);

// The Unix path of a Windows path "X:\..." in a prefix, through its
// dosdevices drive links. Parts match the folders on disk without regard to
// case, as Wine does. Nothing when the path has no drive or the drive is not
// mapped.
std::optional<std::string> MapWindowsPath(const std::filesystem::path& prefix,
                                          std::string_view windowsPath);

// $WINEPREFIX, else ~/.wine; nothing when neither can be told.
std::optional<std::filesystem::path> DefaultWinePrefix();

// The game's installation entry from the registry of a Wine prefix. The game
// is a 32-bit program: in a 64-bit prefix its entry sits under Wow6432Node.
class WineRegistry final : public InstallationRegistry {
  public:
    explicit WineRegistry(std::optional<std::filesystem::path> prefix)
        : prefix_(std::move(prefix)) {}
    InstallationEntry ReadGameFolderEntry() override;

  private:
    std::optional<std::filesystem::path> prefix_;
};
