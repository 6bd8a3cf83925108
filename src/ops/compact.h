#pragma once

#include <cstddef>
#include <string>

class CacheList;
class FileSystem;
struct IndexReading;

enum class CompactResult {
    Written,
    // The file as it is now does not decode under its byte-order mark.
    Undecodable,
    // The file was rewritten with or without a mark since the list was read.
    EncodingChanged,
    // Another program (the game) kept writing the file: it was left alone.
    KeptChanging,
};

// Rewrites the index at `cacheIniPath`, held from every other program while
// it is read again and replaced: one line per listed cache file, in list
// order, then every entry line the file holds now that the refresh which
// built the list did not decide (`lastRefresh`), in file order and as it
// stands. A listed file's line is written only where the file still holds
// it or holds no line for its key: a line the game changed is the game's.
// Dropped are only the lines that refresh read and found no file for, and
// whose file is still missing. Written in the file's own encoding; nothing
// is written when it does not decode or changed form. A file the game
// writes meanwhile is read again and merged anew. Throws FileError; the old
// index then stays as it was.
CompactResult WriteCompactedIndex(const CacheList& list, const IndexReading& lastRefresh,
                                  const std::string& cacheDir, const std::string& cacheIniPath,
                                  std::size_t prefixLen, FileSystem& files);
