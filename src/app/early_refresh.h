#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cache/cache_refresh.h"
#include "list/cache_list.h"
#include "location/game_folder.h"
#include "platform/installation_registry.h"

class FileSystem;

// An index listed before the window asked for it, its batches marked.
struct EarlyIndex {
    std::string cacheIniPath;
    CacheList list;
    IndexReading reading;
};

// The game's installation entry and the pass over its index, started on a
// worker as the process starts, so that the player waits for the toolkit or
// the files, whichever is longer, not for one after the other. Only reads:
// cache.ini is held for the pass alone. The window adopts the list when it
// would read that very index; any failure leaves the work to the window,
// which then shows what it always shows. Both programs start it before
// their toolkit, and their windows adopt its list.
class EarlyRefresh final : public InstallationRegistry {
  public:
    // With `givenFolder` (the player's, from the command line) the entry is
    // not read; `playerCacheFolder` as the window has it. `mark`, if given,
    // is told "opened" once cache.ini is open and "listed" once the pass
    // has ended, for the benchmark's profile of the start.
    EarlyRefresh(InstallationRegistry& registry, std::unique_ptr<FileSystem> files,
                 std::optional<std::string> givenFolder, CacheFolderLookup playerCacheFolder,
                 std::function<void(const char*)> mark = nullptr);
    ~EarlyRefresh() override;
    EarlyRefresh(const EarlyRefresh&) = delete;
    EarlyRefresh& operator=(const EarlyRefresh&) = delete;

    // The entry the worker read; waits for the worker.
    InstallationEntry ReadGameFolderEntry() override;
    // The listed index, once, when the pass ran to its end; waits for it.
    std::optional<EarlyIndex> TakeIndex();

  private:
    void Run();
    void Wait();

    InstallationRegistry& registry_;
    std::unique_ptr<FileSystem> files_;
    std::optional<std::string> givenFolder_;
    CacheFolderLookup playerCacheFolder_;
    std::function<void(const char*)> mark_;
    // Written by the worker only until Wait() has joined it.
    std::optional<InstallationEntry> entry_;
    std::optional<EarlyIndex> index_;
    std::thread worker_;
};
