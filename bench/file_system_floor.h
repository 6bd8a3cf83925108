#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The least the system must do for the work of a refresh and of a
// compaction, done by the plainest loop: the yardstick the benchmark
// measures the program against.

// Reads the index whole and, for every line holding "=", opens the cache
// file of its key, queries its size and times, and closes it. Returns how
// many files were opened.
std::size_t FloorRefresh(const std::string& indexPath, const std::string& cacheDir);

// Writes the bytes into a new file beside `path`, flushes it to disk once and
// renames it over `path`.
bool FloorReplace(const std::string& path, std::string_view bytes);
