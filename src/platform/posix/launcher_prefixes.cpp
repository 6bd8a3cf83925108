#include "platform/posix/launcher_prefixes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

#include "platform/posix/launcher_configs.h"
#include "platform/posix/regular_file.h"

namespace fs = std::filesystem;

// Where each launcher keeps its prefixes, from its own documentation and
// issue tracker:
// - Lutris: a game's YAML names its prefix under "game: prefix:"
//   (github.com/lutris/lutris issues 232, 5004; docs/installers.rst); the
//   games' files lie in ~/.config/lutris/games, in newer releases in
//   ~/.local/share/lutris/games (starcitizen-lug/knowledge-base issue 62),
//   and for the Flatpak in ~/.var/app/net.lutris.Lutris/{config,data}/lutris/games
//   (mtkennerly/ludusavi issue 164).
// - Heroic: GamesConfig/<appName>.json under ~/.config/heroic, or for the
//   Flatpak ~/.var/app/com.heroicgameslauncher.hgl/config/heroic, holds
//   {"<appName>": {"winePrefix": ...}} (DavidoTek/ProtonUp-Qt issue 168);
//   new prefixes go to ~/Games/Heroic/Prefixes/<game>, later to
//   Prefixes/default/<game> (HeroicGamesLauncher issues 827, 3274, 5593,
//   pull 5336). With Proton the Wine prefix is the "pfx" folder inside.
// - Bottles: each bottle is a prefix in ~/.local/share/bottles/bottles/, for
//   the Flatpak ~/.var/app/com.usebottles.bottles/data/bottles/bottles/
//   (bottlesdevs discussion 4916).
// - PlayOnLinux 4 keeps its files in ~/.PlayOnLinux ($REPERTOIRE in
//   PlayOnLinux/POL-POM-4), each virtual drive a prefix in wineprefix/<name>.
// - CrossOver: each private bottle is a prefix in ~/.cxoffice/<bottle>
//   (CrossOver's user guide, "Directory Structure, Location of Files";
//   LukeShortCloud/rootpages issue 1015).

namespace {

// No launcher writes a game's configuration this large: a larger file is
// no configuration and is passed over unread.
constexpr std::size_t kConfigLimit = 1 << 20;

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The entries of `folder` that `keep` accepts, by name, so that every run
// searches in the same order.
template <typename Keep>
std::vector<fs::path> EntriesOf(const fs::path& folder, const Keep& keep) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        if (keep(*it)) {
            entries.push_back(it->path());
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<fs::path> FoldersIn(const fs::path& folder) {
    return EntriesOf(folder, [](const fs::directory_entry& entry) {
        std::error_code error;
        return entry.is_directory(error);
    });
}

// The contents of the files named *<extension> in `folder` that are
// regular files within the limit.
std::vector<std::string> ConfigsIn(const fs::path& folder, const char* extension) {
    std::vector<std::string> texts;
    for (const fs::path& file : EntriesOf(folder, [&](const fs::directory_entry& entry) {
             return entry.path().extension() == extension;
         })) {
        if (std::optional<std::string> text = ReadRegularFile(file.c_str(), kConfigLimit)) {
            texts.push_back(std::move(*text));
        }
    }
    return texts;
}

// A path as the launchers write it: absolute, or from "~". Nothing for one
// relative to a folder the launcher alone knows.
std::optional<fs::path> HomePath(const std::string& path, const fs::path& home) {
    if (path.starts_with('/')) {
        return fs::path(path);
    }
    if (path == "~" || path.starts_with("~/")) {
        return home / path.substr(std::min<std::size_t>(path.size(), 2));
    }
    return std::nullopt;
}

// The Wine prefix in a folder that a launcher names: the folder itself, or
// Proton's "pfx" inside it.
fs::path WinePrefixIn(const fs::path& folder) {
    return !Exists(folder / "system.reg") && Exists(folder / "pfx/system.reg") ? folder / "pfx"
                                                                               : folder;
}

void AddLutris(std::vector<fs::path>& prefixes, const fs::path& home) {
    const fs::path flatpak = home / ".var/app/net.lutris.Lutris";
    for (const fs::path& games : {home / ".config/lutris/games", home / ".local/share/lutris/games",
                                  flatpak / "config/lutris/games", flatpak / "data/lutris/games"}) {
        for (const std::string& config : ConfigsIn(games, ".yml")) {
            if (const std::optional<std::string> prefix = LutrisGamePrefix(config)) {
                if (const std::optional<fs::path> path = HomePath(*prefix, home)) {
                    prefixes.push_back(*path);
                }
            }
        }
    }
}

void AddHeroic(std::vector<fs::path>& prefixes, const fs::path& home) {
    for (const fs::path& games :
         {home / ".config/heroic/GamesConfig",
          home / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig"}) {
        for (const std::string& config : ConfigsIn(games, ".json")) {
            for (const std::string& prefix : HeroicWinePrefixes(config)) {
                if (const std::optional<fs::path> path = HomePath(prefix, home)) {
                    prefixes.push_back(WinePrefixIn(*path));
                }
            }
        }
    }
    // Prefixes/<game>, or Prefixes/default/<game>; "default" may itself have
    // been used as one shared prefix.
    const auto addIfPrefix = [&](const fs::path& folder) {
        const fs::path prefix = WinePrefixIn(folder);
        if (Exists(prefix / "system.reg")) {
            prefixes.push_back(prefix);
        }
    };
    for (const fs::path& folder : FoldersIn(home / "Games/Heroic/Prefixes")) {
        addIfPrefix(folder);
        for (const fs::path& inner : FoldersIn(folder)) {
            addIfPrefix(inner);
        }
    }
}

void AddEachFolderIn(std::vector<fs::path>& prefixes, const fs::path& folder) {
    for (const fs::path& prefix : FoldersIn(folder)) {
        prefixes.push_back(prefix);
    }
}

}  // namespace

std::vector<fs::path> LauncherPrefixes(const fs::path& home) {
    std::vector<fs::path> prefixes;
    AddLutris(prefixes, home);
    AddHeroic(prefixes, home);
    AddEachFolderIn(prefixes, home / ".local/share/bottles/bottles");
    AddEachFolderIn(prefixes, home / ".var/app/com.usebottles.bottles/data/bottles/bottles");
    AddEachFolderIn(prefixes, home / ".PlayOnLinux/wineprefix");
    AddEachFolderIn(prefixes, home / ".cxoffice");
    return prefixes;
}
