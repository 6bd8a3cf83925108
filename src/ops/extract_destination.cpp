#include "ops/extract_destination.h"

#include <algorithm>

#include "base/ascii.h"

namespace {

struct Row {
    std::string_view extension;
    std::string_view folder;
    bool asksFirst;
};

constexpr Row kRows[] = {
    {".unr", "MAPS", false},   {".utx", "TEXTURES", false}, {".umx", "MUSIC", false},
    {".uax", "SOUNDS", false}, {".u", "SYSTEM", true},      {".int", "SYSTEM", false},
};

}  // namespace

std::optional<ExtractDestination> FindExtractDestination(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return ExtractDestination{"MAPS", std::string(name) + ".unr", false};
    }
    const std::string_view extension = name.substr(dot);
    for (const Row& row : kRows) {
        if (EqualIgnoringAsciiCase(extension, row.extension)) {
            return ExtractDestination{row.folder, std::string(name), row.asksFirst};
        }
    }
    return std::nullopt;
}

bool NameStaysInFolder(std::string_view name) {
    if (name.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) {
        return false;
    }
    if (!name.empty() && (name.front() == '\\' || name.front() == '/')) {
        return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto end = std::min(name.find_first_of("\\/", start), name.size());
        const std::string_view part = name.substr(start, end - start);
        // Windows drops trailing dots and blanks, so "..." and ". ." mean "..".
        const bool dotsOnly = part.find_first_not_of(". ") == std::string_view::npos;
        if (dotsOnly && std::count(part.begin(), part.end(), '.') >= 2) {
            return false;
        }
        start = end + 1;
    }
    return true;
}
