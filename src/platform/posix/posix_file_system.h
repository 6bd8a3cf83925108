#pragma once

#include <sys/stat.h>

#include "platform/file_system.h"

// Files on a POSIX system, behaving as far as it can as they do on Windows:
// read-only files refuse deletion and replacement, moves never overwrite.
class PosixFileSystem final : public FileSystem {
  public:
    // The kernel's statx; a stand-in lets tests see a system without it.
    using StatxCall = int (*)(int, const char*, int, unsigned, struct statx*);
    explicit PosixFileSystem(StatxCall statxCall = &statx) : statx_(statxCall) {}

    CacheFileAnswer QueryCacheFile(const std::string& path) override;
    // Opens each file relative to the folder, spread over a few threads: as
    // many as cores while the queries keep them busy, more while they wait
    // for the disk.
    using FileSystem::QueryCacheFiles;
    std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                 const std::vector<std::string>& names,
                                                 const std::function<void()>& alongside) override;
    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) override;
    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                       int& error) override;
    int MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    int RemoveFile(const std::string& path) override;
    std::string MatchFolderName(const std::string& parent, const std::string& name) override;

  private:
    CacheFileAnswer QueryAt(int folder, const char* name) const;

    StatxCall statx_;
    // Whether the last queries left cores idle, waiting for the disk, as a
    // cold cache makes them; assumed until seen otherwise.
    bool waitedForDisk_ = true;
};
