#pragma once

#include <filesystem>
#include <vector>

// The Wine prefixes that Linux game launchers keep for the player whose home
// is `home`, in the order they are searched: Lutris, Heroic, Bottles,
// PlayOnLinux, CrossOver; each as installed natively, then as a Flatpak.
// A prefix may be listed more than once, or not exist.
std::vector<std::filesystem::path> LauncherPrefixes(const std::filesystem::path& home);
