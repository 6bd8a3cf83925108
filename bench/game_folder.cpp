#include "bench/game_folder.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

void GenerateGame(const fs::path& root, int count) {
    fs::remove_all(root);
    fs::create_directories(root / "Cache");
    for (const char* folder : {"Maps", "Textures", "Music", "Sounds", "System"}) {
        fs::create_directories(root / folder);
    }
    std::mt19937_64 random(static_cast<std::uint64_t>(count));
    const char* kinds[] = {"DM-%s%d.unr",    "CTF-%s%d.unr", "%sTex%d.utx",  "%sMusic%d.umx",
                           "%sSounds%d.uax", "%sPack%d.u",   "%sPack%d.int", "%s%d"};
    const char* words[] = {"Deck", "Face", "Morpheus", "Phobos", "Curse", "Ultra", "Bot", "Rocket"};
    std::ofstream index(root / "Cache" / "cache.ini", std::ios::binary);
    index << "[Cache]\r\n";
    auto time =
        std::chrono::sys_days{std::chrono::year{2005} / 1 / 1} + std::chrono::milliseconds{0};
    for (int i = 0; i < count; ++i) {
        // The next server, hours or days later: 100,000 files span some
        // fifteen years and all lie in the past, as a player's would.
        if (random() % 8 == 0) {
            time += std::chrono::hours{1 + random() % 20};
        }
        char key[33];
        std::snprintf(key, sizeof key, "%016llX%016llX", static_cast<unsigned long long>(random()),
                      static_cast<unsigned long long>(random()));
        char name[64];
        std::snprintf(name, sizeof name, kinds[random() % std::size(kinds)],
                      words[random() % std::size(words)], i);
        // Sizes from empty to a few MiB, most of them small.
        const std::uint64_t size =
            random() % 50 == 0 ? 0 : (std::uint64_t{1} << (random() % 22)) + random() % 4096;
        index << key << '=' << name << "\r\n";
        if (random() % 100 == 0) {
            continue;  // listed, but gone from the cache
        }
        const fs::path file = root / "Cache" / (std::string(key) + ".uxx");
        std::ofstream(file, std::ios::binary).put('U');
        fs::resize_file(file, size);  // sparse: the disk stays small
        fs::last_write_time(file, std::chrono::file_clock::from_sys(time));
        time += std::chrono::milliseconds{size * 1000 / 5120 + random() % 3000};
    }
    index << "\r\n";
}

fs::path WritePrefixFor(const fs::path& root) {
    const fs::path prefix = root / "prefix";
    fs::remove_all(prefix);
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("/", prefix / "dosdevices" / "z:");
    std::string folder = "Z:";
    for (const char c : fs::absolute(root).string()) {
        folder += c == '/' ? std::string("\\\\") : std::string(1, c);
    }
    std::ofstream(prefix / "system.reg")
        << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
        << "[Software\\\\Unreal Technology\\\\Installed Apps\\\\UnrealTournament] 1733500000\n"
        << "\"Folder\"=\"" << folder << "\"\n";
    return prefix;
}
