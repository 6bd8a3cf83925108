// Extract destinations on arbitrary names: a name let through must stay in
// its destination folder under both the Windows and the POSIX reading of it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ops/extract_destination.h"

namespace {

// Whether a relative path never climbs above where it starts; Windows drops
// trailing dots and blanks from every part and reads a colon as a drive or stream.
bool StaysInside(std::string_view name, bool windows) {
    if (name.find('\0') != std::string_view::npos) {
        return false;
    }
    if (windows && name.find(':') != std::string_view::npos) {
        return false;
    }
    // The program turns both kinds of slash into the platform's separator.
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) {
        return false;
    }
    int depth = 0;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && name[end] != '/' && name[end] != '\\') {
            ++end;
        }
        std::string part(name.substr(start, end - start));
        if (windows) {
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) {
                part.pop_back();
            }
            if (part.empty() && end - start >= 2 && name.substr(start, 2) == "..") {
                part = "..";
            }
        }
        if (part == "..") {
            if (--depth < 0) {
                return false;
            }
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const auto destination = FindExtractDestination(name);
    if (!destination) {
        return 0;
    }
    if (destination->fileName.size() < name.size()) {
        std::abort();
    }
    if (NameStaysInFolder(destination->fileName) &&
        (!StaysInside(destination->fileName, true) || !StaysInside(destination->fileName, false))) {
        std::abort();
    }
    return 0;
}
