#include "bench/game_lookup.h"

#include <fstream>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "platform/posix/wine_prefixes.h"
#include "platform/posix/wine_registry.h"

namespace fs = std::filesystem;

namespace {

// The size of a new prefix's system.reg (Wine 8: 1.7 MB, some 8,700 keys).
std::string SystemReg(const std::string& gameEntry) {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
        "#arch=win64\n\n";
    for (int i = 0; i < 9000; ++i) {
        const std::string id = std::to_string(10000000 + i);
        text += "[Software\\\\Classes\\\\CLSID\\\\{" + id + "-0000-0000-C000-000000000046}" +
                "\\\\InprocServer32] 1733500000\n#time=1db47c1a2b3c4d5\n" +
                "@=\"C:\\\\windows\\\\system32\\\\ole" + id + ".dll\"\n" +
                "\"ThreadingModel\"=\"Both\"\n\n";
        if (i == 4500) {
            text += gameEntry;
        }
    }
    return text;
}

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void MakePrefix(const fs::path& prefix, bool withGame, bool withCache) {
    fs::create_directories(prefix / "drive_c/UT/System");
    fs::create_directories(prefix / "dosdevices");
    std::error_code exists;
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:", exists);
    const std::string entry =
        withGame ? "[Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\"
                   "UnrealTournament] 1733500000\n\"Folder\"=\"C:\\\\UT\"\n\n"
                 : "";
    Write(prefix / "system.reg", SystemReg(entry));
    if (withCache) {
        Write(prefix / "drive_c/UT/Cache/cache.ini", "[Cache]\n");
    }
}

}  // namespace

double TimeGameLookup(const fs::path& dir, int count, int reps) {
    const fs::path home = dir / "lookup-home";
    if (!fs::exists(home / ".done")) {
        fs::remove_all(home);
        std::vector<fs::path> prefixes = {
            home / ".wine", home / ".local/share/Steam/steamapps/compatdata/13240/pfx"};
        for (int i = 0; prefixes.size() < static_cast<std::size_t>(count); ++i) {
            const std::string name = "game" + std::to_string(i);
            switch (i % 5) {
                case 0:
                    prefixes.push_back(home / "Games" / name);
                    Write(home / ".config/lutris/games" / (name + ".yml"),
                          "game:\n  exe: " + prefixes.back().string() +
                              "/drive_c/game.exe\n  prefix: " + prefixes.back().string() +
                              "\nsystem: {}\nwine:\n  version: lutris-7.2\n");
                    break;
                case 1:
                    prefixes.push_back(home / "Games/Heroic/Prefixes/default" / name);
                    Write(home / ".config/heroic/GamesConfig" / (name + ".json"),
                          "{\"" + name + "\": {\"winePrefix\": \"" + prefixes.back().string() +
                              "\", \"wineVersion\": {\"type\": \"wine\"}}, \"version\": \"v0\"}");
                    break;
                case 2:
                    prefixes.push_back(home / ".local/share/bottles/bottles" / name);
                    break;
                case 3:
                    prefixes.push_back(home / ".PlayOnLinux/wineprefix" / name);
                    break;
                default:
                    prefixes.push_back(home / ".cxoffice" / name);
            }
        }
        for (std::size_t i = 0; i < prefixes.size(); ++i) {
            // The game in three prefixes, two of them played.
            const bool game = i == 1 || i == prefixes.size() / 2 || i + 1 == prefixes.size();
            MakePrefix(prefixes[i], game, game && i > 1);
        }
        Write(home / ".done", "");
    }
    std::vector<double> times;
    for (int r = -1; r < reps; ++r) {
        const auto start = BenchClock::now();
        const InstallationEntry entry =
            WineRegistry(WinePrefixesToSearch(nullptr, home.c_str())).ReadGameFolderEntry();
        const double ms = Milliseconds(BenchClock::now() - start);
        if (!entry.folderData) {
            return -1;
        }
        if (r >= 0) {
            times.push_back(ms);
        }
    }
    return Median(times);
}
