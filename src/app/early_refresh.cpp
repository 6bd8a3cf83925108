#include "app/early_refresh.h"

#include <system_error>
#include <utility>

#include "base/file_error.h"
#include "cache/cache_index_file.h"
#include "cache/download_batches.h"
#include "list/entry_order.h"
#include "platform/background_priority.h"
#include "platform/file_system.h"

EarlyRefresh::EarlyRefresh(InstallationRegistry& registry, std::unique_ptr<FileSystem> files,
                           std::optional<std::string> givenFolder,
                           CacheFolderLookup playerCacheFolder,
                           std::function<void(const char*)> mark)
    : registry_(registry),
      files_(std::move(files)),
      givenFolder_(std::move(givenFolder)),
      playerCacheFolder_(std::move(playerCacheFolder)),
      mark_(std::move(mark)) {
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the window does it all, as it always could.
    }
}

EarlyRefresh::~EarlyRefresh() {
    Wait();
}

void EarlyRefresh::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

InstallationEntry EarlyRefresh::ReadGameFolderEntry() {
    Wait();
    if (!entry_) {
        entry_ = registry_.ReadGameFolderEntry();
    }
    return *entry_;
}

std::optional<EarlyIndex> EarlyRefresh::TakeIndex() {
    Wait();
    return std::exchange(index_, std::nullopt);
}

void EarlyRefresh::Run() {
    // The toolkit starts meanwhile on the main thread: this pass takes the
    // cores it leaves, and all of them once the window waits for it.
    RunAtBackgroundPriority();
    std::optional<std::string> folder = givenFolder_;
    if (!folder) {
        entry_ = registry_.ReadGameFolderEntry();
        folder = FolderOfEntry(*entry_);
    }
    if (!folder || folder->empty()) {
        return;
    }
    // As the window derives its paths: a folder from the entry is a Windows
    // installation, with nothing outside it.
    const GamePaths paths =
        GamePathsOf(*folder, givenFolder_ ? playerCacheFolder_ : nullptr, *files_);
    EarlyIndex early{paths.cacheIniPath, {}, {}};
    CacheIndexFile index(*files_);
    if (!index.OpenCacheIndex(paths.cacheIniPath)) {
        return;
    }
    if (mark_) {
        mark_("opened");
    }
    try {
        AddCachedFiles(index, paths.cacheDir, *files_, early.list, early.reading);
        index.CloseCacheIndex();
    } catch (const FileError&) {
        // The window reads it again and reports what it finds.
        return;
    }
    if (early.list.Count() > 0) {
        MarkDownloadBatches(early.list, kEntryPrefixLength);
    }
    index_ = std::move(early);
    if (mark_) {
        mark_("listed");
    }
}
