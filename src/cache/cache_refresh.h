#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cache/index_encoding.h"
#include "platform/file_system.h"

class CacheIndexFile;
class CacheList;
class FileSystem;

// What a refresh read of cache.ini besides the entries it listed.
struct IndexReading {
    // None until a read of the file told it.
    std::optional<IndexEncoding> encoding;
    // False when the list stops at text that does not decode.
    bool decodes = true;
    // The version of the file read, when the refresh decided every line of it.
    std::optional<FileStamp> stamp;
    // The entry lines it read and listed no file for, as they stand.
    std::vector<std::string> leftOut;
};

// Reads the open index to its end and adds an entry for every line whose
// cache file in `cacheDir` can be opened: its creation time, the gap and the
// recorded name, with the file's record attached. A FileError while reading
// leaves the entries read before it in the list. So does a cache file the
// system could not ask about (out of file handles or memory): rather than
// read as missing, it fails the refresh with a FileError naming that file.
// `reading` gets the file's encoding and every entry line read before a
// failure that got no list entry: these, and the listed ones, are the lines
// the refresh decided.
// A key that would reach outside the cache folder, or that no system can
// pass on as a file name, names no cache file.
bool KeyCanNameCacheFile(std::string_view key);

void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list, IndexReading& reading);
