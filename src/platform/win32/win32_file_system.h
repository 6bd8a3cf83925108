#pragma once

#include <optional>
#include <string>
#include <unordered_set>

#include "platform/file_system.h"

// Files through the Win32 API: error numbers are GetLastError() values,
// taken at once after the call that failed. Paths are UTF-8, handed to the
// wide functions.
class Win32FileSystem final : public FileSystem {
  public:
    bool TakesUtf8Names() const override { return true; }
    CacheFileAnswer QueryCacheFile(const std::string& path) override;
    // Each file opened on its own, spread over a few threads; a plain name
    // that the folder's listing lacks is not opened at all.
    using FileSystem::QueryCacheFiles;
    std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                 const std::vector<std::string>& names,
                                                 const std::function<void()>& alongside) override;
    // Opening the index starts a refresh, and replacing it a compaction: the
    // next queries list the folder anew.
    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) override;
    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                       int& error) override;
    int MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    int RemoveFile(const std::string& path) override;
    std::string MatchFolderName(const std::string& parent, const std::string& name) override;

  private:
    // The lower-cased names in the folder, taken once per refresh: a batch of
    // queries after the first reuses it. Nothing where it could not be read.
    std::optional<std::unordered_set<std::string>> listing_;
    std::string listedFolder_;
    bool listingCurrent_ = false;
};
