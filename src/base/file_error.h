#pragma once

#include <string>

enum class FileErrorCause {
    None,
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

// A failure of the cache index file. The one exception our code throws:
// it is caught around every handler of the main window and reported there.
class FileError {
  public:
    FileError(FileErrorCause cause, std::string path) : cause_(cause), path_(std::move(path)) {}

    FileErrorCause Cause() const { return cause_; }
    const std::string& Path() const { return path_; }

    // The report's text: the cause's sentence naming the file, at most 511 characters.
    std::string ReportText() const;

  private:
    FileErrorCause cause_;
    std::string path_;
};

inline constexpr std::size_t kFileErrorReportMaxLength = 511;
