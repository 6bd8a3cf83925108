#pragma once

#include "platform/file_system.h"

// Files through the Win32 API: error numbers are GetLastError() values,
// taken at once after the call that failed.
class Win32FileSystem final : public FileSystem {
  public:
    CacheFileAnswer QueryCacheFile(const std::string& path) override;
    // Each file opened on its own, spread over a few threads.
    std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                 const std::vector<std::string>& names) override;
    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) override;
    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                       int& error) override;
    int MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    int RemoveFile(const std::string& path) override;
    std::string MatchFolderName(const std::string& parent, const std::string& name) override;
};
