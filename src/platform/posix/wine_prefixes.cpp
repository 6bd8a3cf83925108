#include "platform/posix/wine_prefixes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/posix/regular_file.h"

namespace fs = std::filesystem;

namespace {

// Unreal Tournament's app id: Proton keeps its prefix under compatdata/13240.
constexpr const char* kGamePrefixInLibrary = "steamapps/compatdata/13240/pfx";

struct VdfToken {
    bool quoted;
    std::string text;
};

// The quoted strings and braces of a Valve data file, comments left out.
std::vector<VdfToken> VdfTokens(const std::string& text) {
    std::vector<VdfToken> tokens;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{' || c == '}') {
            tokens.push_back({false, std::string(1, c)});
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            i = std::min(text.find('\n', i), text.size());
        } else if (c == '"') {
            std::string value;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    ++i;
                }
                value += text[i];
            }
            tokens.push_back({true, std::move(value)});
        }
    }
    return tokens;
}

bool IsNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Today's files give each library a block with a "path"; older ones a
// numbered key whose value is the path.
std::vector<fs::path> ListedLibraries(const fs::path& vdf) {
    const std::vector<VdfToken> tokens = VdfTokens(ReadRegularFile(vdf.c_str()).value_or(""));
    std::vector<fs::path> libraries;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        const VdfToken& key = tokens[i];
        const VdfToken& value = tokens[i + 1];
        if (key.quoted && value.quoted && value.text.starts_with('/') &&
            (key.text == "path" || IsNumber(key.text))) {
            libraries.emplace_back(value.text);
            ++i;
        }
    }
    return libraries;
}

void AddOnce(std::vector<fs::path>& paths, const fs::path& path) {
    std::error_code ignored;
    const fs::path real = fs::weakly_canonical(path, ignored);
    for (const fs::path& known : paths) {
        if (fs::weakly_canonical(known, ignored) == real) {
            return;
        }
    }
    paths.push_back(path);
}

}  // namespace

std::vector<fs::path> SteamLibraries(const fs::path& home) {
    std::vector<fs::path> libraries;
    for (const fs::path& steam : {home / ".local/share/Steam", home / ".steam/steam"}) {
        std::error_code missing;
        if (fs::is_directory(steam, missing)) {
            AddOnce(libraries, steam);
        }
    }
    for (std::size_t i = 0, defaults = libraries.size(); i < defaults; ++i) {
        for (const fs::path& listed :
             ListedLibraries(libraries[i] / "steamapps/libraryfolders.vdf")) {
            AddOnce(libraries, listed);
        }
    }
    return libraries;
}

std::vector<fs::path> WinePrefixesToSearch(const char* winePrefix, const char* home) {
    if (winePrefix != nullptr && *winePrefix != '\0') {
        return {fs::path(winePrefix)};
    }
    if (home == nullptr || *home == '\0') {
        return {};
    }
    std::vector<fs::path> prefixes = {fs::path(home) / ".wine"};
    for (const fs::path& library : SteamLibraries(home)) {
        prefixes.push_back(library / kGamePrefixInLibrary);
    }
    return prefixes;
}

std::vector<fs::path> WinePrefixesToSearch() {
    return WinePrefixesToSearch(std::getenv("WINEPREFIX"), std::getenv("HOME"));
}
