#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CacheList;

// A cache file a command acts on: where it is and the name it is recorded under.
struct SelectedFile {
    std::string path;
    std::string name;
};

// The files of the given rows, in row order; separators have none.
std::vector<SelectedFile> SelectedFiles(const CacheList& list, const std::vector<int>& rows,
                                        std::size_t prefixLen);
