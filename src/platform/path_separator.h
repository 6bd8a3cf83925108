#pragma once
#include <cstddef>
#include <string_view>

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

// The length of a UTF-8 path in the units of the platform's limit: UTF-16
// units on Windows (a four-byte sequence takes two, any other character
// one), bytes elsewhere.
inline std::size_t PathUnits(std::string_view path) {
#ifdef _WIN32
    std::size_t units = 0;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
#else
    return path.size();
#endif
}
