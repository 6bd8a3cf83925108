// The index reader and line parser on arbitrary bytes: the lines must be
// exactly what the text-mode rules make of the bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cache/cache_index_file.h"
#include "fuzz/memory_file_system.h"

namespace {

std::vector<std::string> ExpectedLines(std::string content) {
    content = content.substr(0, content.find('\x1a'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const auto end = content.find('\n', start);
        std::string line =
            content.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end != std::string::npos && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    MemoryFileSystem files;
    files.readPiece = 1 + data[0] % 64 * (data[0] >= 128 ? 1024 : 1);
    files.index.assign(reinterpret_cast<const char*>(data) + 1, size - 1);

    CacheIndexFile index(files);
    if (!index.OpenCacheIndex("cache.ini")) {
        std::abort();
    }
    std::vector<std::string> lines;
    std::string line;
    while (index.ReadIndexLine(line)) {
        lines.push_back(line);
        IndexEntry entry;
        if (ParseIndexLine(line, entry)) {
            if (entry.key.empty() || entry.key.find('=') != std::string_view::npos ||
                std::string(entry.key) + "=" + std::string(entry.name) != line) {
                std::abort();
            }
        } else if (!line.empty() && line.find('=') != std::string::npos && line[0] != '=') {
            std::abort();
        }
    }
    if (lines != ExpectedLines(files.index)) {
        std::abort();
    }
    return 0;
}
