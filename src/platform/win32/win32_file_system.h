#pragma once

#include <optional>
#include <string>
#include <unordered_set>

#include "platform/file_system.h"
#include "platform/win32/win32_text_form.h"

// Files through the Win32 API: error numbers are GetLastError() values,
// taken at once after the call that failed. Code-page paths go to the ANSI
// functions, UTF-8 ones to the wide functions.
class Win32FileSystem final : public FileSystem {
  public:
    void UseTextForm(TextForm form) override;
    // Through UTF-16; a character the code page lacks becomes '?'.
    std::string ConvertText(const std::string& text, TextForm from, TextForm to) const override;
    // For the window, which shows the paths and names in the same form.
    const Win32TextForm& TextFormInUse() const { return form_; }

    CacheFileAnswer QueryCacheFile(const std::string& path) override;
    // Each file opened on its own, spread over a few threads; a plain name
    // that the folder's listing lacks is not opened at all.
    std::vector<CacheFileAnswer> QueryCacheFiles(const std::string& folder,
                                                 const std::vector<std::string>& names) override;
    // Opening the index starts a refresh: the next queries list the folder anew.
    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) override;
    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                       int& error) override;
    int MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    int RemoveFile(const std::string& path) override;
    std::string MatchFolderName(const std::string& parent, const std::string& name) override;

  private:
    Win32TextForm form_;
    // The lower-cased names in the folder, taken once per refresh: a batch of
    // queries after the first reuses it. Nothing where it could not be read.
    std::optional<std::unordered_set<std::string>> listing_;
    std::string listedFolder_;
    bool listingCurrent_ = false;
};
