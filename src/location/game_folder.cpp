#include "location/game_folder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "platform/installation_registry.h"
#include "platform/path_separator.h"
#include "platform/process_exit.h"
#include "ui/folder_chooser.h"
#include "ui/message_boxes.h"

namespace {

constexpr const char* kKeyMissingText =
    "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr const char* kKeyMissingCaption = "Registry Key Can't Be Found";
constexpr const char* kValueMissingText =
    "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament\\Folder \n"
    "Should contain the directory that the UT Game is installed in ie. C:\\UT";
constexpr const char* kValueMissingCaption = "Registry Value Can't Be Found";
constexpr const char* kChooserTitle = "Select the UT Directory";
constexpr const char* kCannotOpenText = "Could NOT be opened";

// Copies a text into the buffer when it fits with its terminator; a longer
// one counts as missing and leaves an empty buffer.
std::size_t CopyIntoBuffer(const std::string& text, char* buffer) {
    const std::size_t length = std::min(text.find('\0'), text.size());
    if (length >= kPathBufferSize) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return length;
}

// The value counts when the registry would return at least one byte (a
// terminator alone too) within the buffer's size.
bool ReadValueIntoBuffer(const std::optional<std::string>& data, char* buffer) {
    if (!data || data->empty() || data->size() > kPathBufferSize) {
        return false;
    }
    return CopyIntoBuffer(*data, buffer) > 0 || (*data)[0] == '\0';
}

}  // namespace

GamePaths GamePathsOf(const std::string& folder, const CacheFolderLookup& lookup,
                      FileSystem& files) {
    GamePaths paths;
    paths.gameDir = folder;
    if (paths.gameDir.empty() || paths.gameDir.back() != kPathSeparator) {
        paths.gameDir += kPathSeparator;
    }
    paths.cacheDir =
        lookup ? lookup(paths.gameDir, files) : paths.gameDir + "Cache" + kPathSeparator;
    paths.cacheIniPath = paths.cacheDir + "cache.ini";
    return paths;
}

std::optional<std::string> FolderOfEntry(const InstallationEntry& entry) {
    std::array<char, kPathBufferSize> buffer{};
    if (!entry.keyFound || !ReadValueIntoBuffer(entry.folderData, buffer.data())) {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

LocatedFolder LocateGameFolder(InstallationRegistry& registry, const FolderPrompts& prompts) {
    const InstallationEntry entry = registry.ReadGameFolderEntry();
    if (std::optional<std::string> folder = FolderOfEntry(entry)) {
        return {std::move(*folder), FolderSource::InstallationEntry};
    }
    prompts.boxes.Show(entry.keyFound ? kValueMissingText : kKeyMissingText,
                       entry.keyFound ? kValueMissingCaption : kKeyMissingCaption,
                       BoxStyle::Warning);
    std::array<char, kPathBufferSize> buffer{};
    if (BrowseForGameFolder(prompts, buffer.data()) == 0) {
        prompts.exit.Exit(0);
    }
    return {buffer.data(), FolderSource::Player};
}

std::string AskForGameFolderAgain(const std::string& cacheIniPath, const FolderPrompts& prompts) {
    std::array<char, kPathBufferSize> buffer{};
    prompts.boxes.Show(kCannotOpenText, cacheIniPath, BoxStyle::Stop);
    if (BrowseForGameFolder(prompts, buffer.data()) == 0) {
        prompts.exit.Exit(1);
    }
    return buffer.data();
}

std::size_t BrowseForGameFolder(const FolderPrompts& prompts, char* buffer) {
    const std::optional<std::string> chosen = prompts.chooser.Choose(kChooserTitle);
    if (!chosen) {
        prompts.exit.Exit(0);
    }
    return CopyIntoBuffer(*chosen, buffer);
}
