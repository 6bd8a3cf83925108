#pragma once

#include <string>

class CacheIndexFile;
class CacheList;
class FileSystem;

// Reads the open index to its end and adds an entry for every line whose
// cache file in `cacheDir` can be opened: its creation time, the gap and the
// recorded name, with the file's record attached. A FileError while reading
// leaves the entries read before it in the list. So does a cache file the
// system could not ask about (out of file handles or memory): rather than
// read as missing, it fails the refresh with a FileError naming that file.
void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list);
