#include "support/temp_game.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include "support/win32_file_times.h"
#endif

namespace fs = std::filesystem;

TempGame::TempGame() {
    std::random_device random;
    for (;;) {
        root_ = fs::temp_directory_path() / ("vorpane-test-" + std::to_string(random()));
        if (fs::create_directory(root_)) {
            break;
        }
    }
    fs::create_directory(CacheDir());
}

TempGame::~TempGame() {
    std::error_code ignored;
    // Tests make files and folders read-only; give the permissions back first.
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

void TempGame::WriteIndex(std::string_view bytes) const {
    WriteWholeFile(IndexPath(), bytes);
    // Written by a game that is done with it: a read need not wait for more.
    fs::last_write_time(IndexPath(), fs::last_write_time(IndexPath()) - std::chrono::seconds(1));
}

void TempGame::AddCacheFile(const std::string& key, std::uintmax_t size,
                            std::string_view timeStamp) const {
    // The key's bytes, as UTF-8 where a system names files by text.
    const fs::path path = CacheDir() / fs::path(std::u8string(key.begin(), key.end()) + u8".uxx");
    WriteWholeFile(path, "");
    fs::resize_file(path, size);
    SetModificationTime(path, timeStamp);
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void SetModificationTime(const fs::path& path, std::string_view stamp) {
    using namespace std::chrono;
    auto field = [&](std::size_t pos, std::size_t width) {
        return std::stoi(std::string(stamp.substr(pos, width)));
    };
    const sys_days day = year{field(0, 4)} / month{static_cast<unsigned>(field(5, 2))} /
                         static_cast<unsigned>(field(8, 2));
    const sys_time<milliseconds> time = day + hours{field(11, 2)} + minutes{field(14, 2)} +
                                        seconds{field(17, 2)} + milliseconds{field(20, 3)};
    fs::last_write_time(path, file_clock::from_sys(time));
#ifdef _WIN32
    constexpr std::uint64_t kUnitsFrom1601To1970 = 116'444'736'000'000'000ULL;
    SetCreationFileTime(path,
                        kUnitsFrom1601To1970 +
                            static_cast<std::uint64_t>(time.time_since_epoch().count()) * 10'000);
#endif
}

std::string GoneLines(char key, const std::string& lineEnd) {
    std::string lines;
    for (int i = 0; i < 9000; ++i) {
        lines += key + std::to_string(i) + "=gone.unr" + lineEnd;
    }
    return lines;
}
