#pragma once
#include <cstddef>

// The separator the game paths are built with: the game's own on Windows,
// the native one elsewhere.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The platform path limit plus its terminator: the size of the buffer a game
// folder is held in while it is being found. Linux counts the terminator in
// its PATH_MAX already.
#ifdef _WIN32
inline constexpr std::size_t kPathBufferSize = 261;  // MAX_PATH + 1
#else
inline constexpr std::size_t kPathBufferSize = 4096;  // PATH_MAX
#endif
