#pragma once

#include <filesystem>
#include <vector>

// The Wine prefixes that may hold the game, in the order they are searched:
// $WINEPREFIX alone when it is set; otherwise ~/.wine, the game's Proton
// prefix in each Steam library, then the prefixes of the game launchers
// (launcher_prefixes.h); each once. Null arguments count as unset.
std::vector<std::filesystem::path> WinePrefixesToSearch(const char* winePrefix, const char* home);

// The same from this process's environment.
std::vector<std::filesystem::path> WinePrefixesToSearch();

// Steam's libraries, each once: for the native Steam, then the Flatpak's
// (~/.var/app/com.valvesoftware.Steam/...) and the Snap's
// (~/snap/steam/common/...), the default one (.local/share/Steam or
// .steam/steam) and those its libraryfolders.vdf lists.
std::vector<std::filesystem::path> SteamLibraries(const std::filesystem::path& home);
