#pragma once

#include <filesystem>

// A game folder as years of play leave it, with `count` real (sparse) cache
// files in download batches, names of every kind, and a few index lines
// whose file is long gone; nothing but cache.ini for 0.
void GenerateGame(const std::filesystem::path& root, int count);

// A Wine prefix whose registry points the program at the game in `root`;
// returns the prefix.
std::filesystem::path WritePrefixFor(const std::filesystem::path& root);
