#pragma once

#include <filesystem>
#include <vector>

// The Wine prefixes that may hold the game, in the order they are tried:
// $WINEPREFIX alone when it is set; otherwise ~/.wine, then the game's
// Proton prefix in each Steam library. Null arguments count as unset.
std::vector<std::filesystem::path> WinePrefixesToSearch(const char* winePrefix, const char* home);

// The same from this process's environment.
std::vector<std::filesystem::path> WinePrefixesToSearch();

// Steam's libraries: the default one (~/.local/share/Steam, or ~/.steam/steam)
// and those its steamapps/libraryfolders.vdf lists, each once.
std::vector<std::filesystem::path> SteamLibraries(const std::filesystem::path& home);
