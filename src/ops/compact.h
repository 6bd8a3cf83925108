#pragma once

#include <cstddef>
#include <string>

class CacheList;
class FileSystem;

// Rewrites the index at `cacheIniPath` with one line per listed cache file,
// in list order. Throws FileError; the old index then stays as it was.
void WriteCompactedIndex(const CacheList& list, const std::string& cacheDir,
                         const std::string& cacheIniPath, std::size_t prefixLen, FileSystem& files);
