#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cache/cache_index_file.h"
#include "cache/index_encoding.h"
#include "platform/file_system.h"

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
    // Whether it read an unmarked file's lines as text for a system that
    // names files in UTF-8 (FileSystem::TakesUtf8Names): each line as it
    // stands when it is valid UTF-8, else read as Windows-1252.
    bool linesConverted = false;
    // The bytes of each line so converted, by its text: what is written
    // back, for a name is never converted back.
    std::unordered_map<std::string, std::string> bytesOfConverted;
};

// A line of the index as the refresh that made `reading` took it: `line`
// itself unless that refresh converted lines (then in `scratch`).
std::string_view LineAsListed(const IndexReading& reading, std::string_view line,
                              std::string& scratch);

// The key and name of the line that refresh read as `listed`, as the file
// held them.
IndexEntry EntryAsRead(const IndexReading& reading, const IndexEntry& listed, std::string& scratch);

// Reads the open index to its end and adds an entry for every line whose
// cache file in `cacheDir` can be opened: its creation time, the gap and the
// recorded name, with the file's record attached. A FileError while reading
// leaves the entries read before it in the list. So does a cache file the
// system could not ask about (out of file handles or memory): rather than
// read as missing, it fails the refresh with a FileError naming that file.
// `reading` gets the file's encoding and every entry line read before a
// failure that got no list entry: these, and the listed ones, are the lines
// the refresh decided. Lines are converted as `files` needs (`linesConverted`).
void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list, IndexReading& reading);

// A key that would reach outside the cache folder, or that no system can
// pass on as a file name, names no cache file.
bool KeyCanNameCacheFile(std::string_view key);
