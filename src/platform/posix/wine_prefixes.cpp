#include "platform/posix/wine_prefixes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/posix/launcher_prefixes.h"
#include "platform/posix/regular_file.h"

namespace fs = std::filesystem;

namespace {

// Unreal Tournament's app id: Proton keeps its prefix under compatdata/13240.
constexpr const char* kGamePrefixInLibrary = "steamapps/compatdata/13240/pfx";

// Steam's list of libraries is a few hundred bytes; a larger file is none.
constexpr std::size_t kVdfLimit = 1 << 20;

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
    const std::vector<VdfToken> tokens =
        VdfTokens(ReadRegularFile(vdf.c_str(), kVdfLimit).value_or(""));
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

// Paths each once, told apart by where they lead.
class DistinctPaths {
  public:
    void Add(const fs::path& path) {
        std::error_code ignored;
        fs::path real = fs::weakly_canonical(path, ignored);
        if (std::find(real_.begin(), real_.end(), real) == real_.end()) {
            real_.push_back(std::move(real));
            paths_.push_back(path);
        }
    }
    const std::vector<fs::path>& Paths() const { return paths_; }

  private:
    std::vector<fs::path> paths_;
    std::vector<fs::path> real_;
};

// One installation of Steam: the folders it may keep its default library
// in, as the native package, the Flatpak and the Snap each lay it out
// (github.com/flathub/com.valvesoftware.Steam issues 3, 253;
// ValveSoftware/Proton issue 7418; erri120/GameFinder issue 147;
// canonical/steam-snap pull 118).
std::vector<fs::path> SteamRoots(const fs::path& base) {
    return {base / ".local/share/Steam", base / ".steam/steam"};
}

}  // namespace

std::vector<fs::path> SteamLibraries(const fs::path& home) {
    DistinctPaths libraries;
    for (const fs::path& base :
         {home, home / ".var/app/com.valvesoftware.Steam", home / "snap/steam/common"}) {
        std::vector<fs::path> roots;
        for (const fs::path& steam : SteamRoots(base)) {
            std::error_code missing;
            if (fs::is_directory(steam, missing)) {
                roots.push_back(steam);
                libraries.Add(steam);
            }
        }
        // Steam writes the list of libraries to steamapps/, today also to config/.
        for (const fs::path& steam : roots) {
            for (const char* vdf : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"}) {
                for (const fs::path& listed : ListedLibraries(steam / vdf)) {
                    libraries.Add(listed);
                }
            }
        }
    }
    return libraries.Paths();
}

std::vector<fs::path> WinePrefixesToSearch(const char* winePrefix, const char* home) {
    if (winePrefix != nullptr && *winePrefix != '\0') {
        return {fs::path(winePrefix)};
    }
    if (home == nullptr || *home == '\0') {
        return {};
    }
    DistinctPaths prefixes;
    prefixes.Add(fs::path(home) / ".wine");
    for (const fs::path& library : SteamLibraries(home)) {
        prefixes.Add(library / kGamePrefixInLibrary);
    }
    for (const fs::path& prefix : LauncherPrefixes(home)) {
        prefixes.Add(prefix);
    }
    return prefixes.Paths();
}

std::vector<fs::path> WinePrefixesToSearch() {
    return WinePrefixesToSearch(std::getenv("WINEPREFIX"), std::getenv("HOME"));
}
