#include "location/cache_folder.h"

#include <algorithm>
#include <array>

#include "platform/file_system.h"
#include "platform/path_separator.h"

namespace {

// Any of these marks an installation of the native Linux build.
constexpr std::array<const char*, 4> kNativePrograms = {
    "System/ut-bin", "System/ucc-bin", "System64/ut-bin-amd64", "System64/ucc-bin-amd64"};

// Where the native build keeps its downloads, in the player's home folder.
constexpr std::array<const char*, 2> kNativeCacheFolders = {".utpg/Cache/", ".loki/ut/Cache/"};
constexpr const char* kLokiCacheFolder = kNativeCacheFolders[1];

std::string WithSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

// A file counts when it opens for reading, as the refresh opens cache.ini.
bool IsReadableFile(const std::string& path, FileSystem& files) {
    return files.QueryCacheFile(path).info.has_value();
}

bool HoldsReadableIndex(const std::string& cacheDir, FileSystem& files) {
    return IsReadableFile(cacheDir + "cache.ini", files);
}

std::string FolderPath(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

}  // namespace

std::string CacheFolderOf(const std::string& gameDir, const std::optional<std::string>& home,
                          FileSystem& files) {
    const std::string ownCache = gameDir + "Cache" + kPathSeparator;
    if (!home || home->empty() || HoldsReadableIndex(ownCache, files) ||
        std::none_of(kNativePrograms.begin(), kNativePrograms.end(), [&](const char* program) {
            return IsReadableFile(gameDir + WithSeparators(program), files);
        })) {
        return ownCache;
    }
    const std::string homeDir = FolderPath(*home);
    for (const char* folder : kNativeCacheFolders) {
        const std::string cacheDir = homeDir + WithSeparators(folder);
        if (HoldsReadableIndex(cacheDir, files)) {
            return cacheDir;
        }
    }
    // Asked for again, naming the installation's own index as for any folder.
    return ownCache;
}

bool AsksForStoredBytes(const std::string& cacheDir, const std::optional<std::string>& home) {
    return home && !home->empty() &&
           cacheDir == FolderPath(*home) + WithSeparators(kLokiCacheFolder);
}
