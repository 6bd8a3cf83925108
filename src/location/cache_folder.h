#pragma once

#include <optional>
#include <string>

class FileSystem;

// The cache folder of the game installed in `gameDir` (ending in a
// separator): its own Cache folder, unless that holds no readable cache.ini
// and `gameDir` is an installation of the game's native Linux build. Such a
// build keeps its downloads in the player's `home`: ~/.utpg/Cache (today's
// patch), else ~/.loki/ut/Cache (older releases), whichever first holds a
// readable cache.ini. Without a home, always the game's own Cache folder.
std::string CacheFolderOf(const std::string& gameDir, const std::optional<std::string>& home,
                          FileSystem& files);

// Whether the game that reads `cacheDir` asks for its files by the bytes
// cache.ini holds, as the older native build (~/.loki/ut/Cache) does. Every
// other build, and the game under Wine, asks by the names' characters.
bool AsksForStoredBytes(const std::string& cacheDir, const std::optional<std::string>& home);
