#pragma once

#include <filesystem>

// Builds in `dir` a home with `count` Wine prefixes spread over Wine, Steam
// and the launchers, each with a system.reg of a fresh prefix's size, three
// of them holding the game; then times finding the game there as the
// program does at start, warm: the median of `reps` runs, in ms (negative
// if the game was not found).
double TimeGameLookup(const std::filesystem::path& dir, int count, int reps);
