#include "location/game_folder.h"

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

// The text up to its terminator when it fits the platform's path buffer
// with that terminator; a longer one counts as missing: empty.
std::string FittingPath(const std::string& text) {
    std::string path = text.substr(0, text.find('\0'));
    if (PathUnits(path) >= kPathBufferSize) {
        path.clear();
    }
    return path;
}

// The value counts when the registry would return at least one unit (a
// terminator alone too) within the buffer's size.
std::optional<std::string> ValueInBuffer(const std::optional<std::string>& data) {
    if (!data || data->empty() || PathUnits(*data) > kPathBufferSize) {
        return std::nullopt;
    }
    std::string path = FittingPath(*data);
    if (path.empty() && (*data)[0] != '\0') {
        return std::nullopt;
    }
    return path;
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
    return entry.keyFound ? ValueInBuffer(entry.folderData) : std::nullopt;
}

LocatedFolder LocateGameFolder(InstallationRegistry& registry, const FolderPrompts& prompts) {
    const InstallationEntry entry = registry.ReadGameFolderEntry();
    if (std::optional<std::string> folder = FolderOfEntry(entry)) {
        return {std::move(*folder), FolderSource::InstallationEntry};
    }
    prompts.boxes.Show(entry.keyFound ? kValueMissingText : kKeyMissingText,
                       entry.keyFound ? kValueMissingCaption : kKeyMissingCaption,
                       BoxStyle::Warning);
    std::string chosen = BrowseForGameFolder(prompts);
    if (chosen.empty()) {
        prompts.exit.Exit(0);
    }
    return {std::move(chosen), FolderSource::Player};
}

std::string AskForGameFolderAgain(const std::string& cacheIniPath, const FolderPrompts& prompts) {
    prompts.boxes.Show(kCannotOpenText, cacheIniPath, BoxStyle::Stop);
    std::string chosen = BrowseForGameFolder(prompts);
    if (chosen.empty()) {
        prompts.exit.Exit(1);
    }
    return chosen;
}

std::string BrowseForGameFolder(const FolderPrompts& prompts) {
    const std::optional<std::string> chosen = prompts.chooser.Choose(kChooserTitle);
    if (!chosen) {
        prompts.exit.Exit(0);
    }
    return FittingPath(*chosen);
}
