#pragma once

#include <string>
#include <string_view>

// The least the system must do for the work of a compaction, done by the
// plainest loop: writes the bytes into a new file beside `path`, flushes it
// to disk once and renames it over `path`.
bool FloorReplace(const std::string& path, std::string_view bytes);
