#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class FolderChooser;
class InstallationRegistry;
class MessageBoxes;
class ProcessExit;

// What asking the player for the game folder goes through.
struct FolderPrompts {
    MessageBoxes& boxes;
    FolderChooser& chooser;
    ProcessExit& exit;
};

// Where a game folder comes from: the game's installation entry, or the
// player (the chooser or the command line).
enum class FolderSource { InstallationEntry, Player };

struct LocatedFolder {
    std::string path;
    FolderSource source;
};

class FileSystem;
struct InstallationEntry;

// The cache folder of a game folder (ending in a separator) where it may be
// elsewhere than the folder's own Cache folder (location/cache_folder.h).
using CacheFolderLookup = std::function<std::string(const std::string& gameDir, FileSystem& files)>;

// The three paths of a game folder given as `folder`, a separator appended
// where it lacks one; its own Cache folder unless `lookup` finds another.
struct GamePaths {
    std::string gameDir;
    std::string cacheDir;
    std::string cacheIniPath;
};
GamePaths GamePathsOf(const std::string& folder, const CacheFolderLookup& lookup,
                      FileSystem& files);

// The folder the installation entry names, as LocateGameFolder takes it;
// nothing where it would warn and ask the player instead.
std::optional<std::string> FolderOfEntry(const InstallationEntry& entry);

// The game folder from the game's installation entry, else from the player
// after a warning; ends the process when the player cancels. Empty when the
// entry holds an empty text.
LocatedFolder LocateGameFolder(InstallationRegistry& registry, const FolderPrompts& prompts);

// After "Could NOT be opened" for the index at `cacheIniPath`: the folder the
// player picks. Ends the process when the player cancels or the path does
// not fit the buffer.
std::string AskForGameFolderAgain(const std::string& cacheIniPath, const FolderPrompts& prompts);

// The folder the player picks, when it fits a buffer of kPathBufferSize
// units (platform/path_separator.h) with its terminator; empty for one that
// does not. Ends the process when the player cancels.
std::string BrowseForGameFolder(const FolderPrompts& prompts);
