#include <gtest/gtest.h>

#include <cerrno>

#include "base/file_error.h"
#include "platform/file_system.h"

namespace {

TEST(FileErrorReport, EveryCauseNamesTheFile) {
    const std::string path = "/ut/Cache/cache.ini";
    const std::pair<FileErrorCause, std::string> expected[] = {
        {FileErrorCause::None, "No error occurred."},
        {FileErrorCause::Generic, "An unknown error occurred while accessing /ut/Cache/cache.ini."},
        {FileErrorCause::FileNotFound, "/ut/Cache/cache.ini was not found."},
        {FileErrorCause::BadPath, "/ut/Cache/cache.ini contains an invalid path."},
        {FileErrorCause::TooManyOpenFiles,
         "/ut/Cache/cache.ini could not be opened because there are too many open files."},
        {FileErrorCause::AccessDenied, "Access to /ut/Cache/cache.ini was denied."},
        {FileErrorCause::InvalidFile,
         "An invalid file handle was associated with /ut/Cache/cache.ini."},
        {FileErrorCause::RemoveCurrentDir,
         "/ut/Cache/cache.ini could not be removed because it is the current directory."},
        {FileErrorCause::DirectoryFull,
         "/ut/Cache/cache.ini could not be created because the directory is full."},
        {FileErrorCause::BadSeek, "Seek failed on /ut/Cache/cache.ini"},
        {FileErrorCause::HardIO,
         "A hardware I/O error was reported while accessing /ut/Cache/cache.ini."},
        {FileErrorCause::SharingViolation,
         "A sharing violation occurred while accessing /ut/Cache/cache.ini."},
        {FileErrorCause::LockViolation,
         "A locking violation occurred while accessing /ut/Cache/cache.ini."},
        {FileErrorCause::DiskFull, "Disk full while accessing /ut/Cache/cache.ini."},
        {FileErrorCause::EndOfFile,
         "An attempt was made to access /ut/Cache/cache.ini past its end."},
    };
    for (const auto& [cause, text] : expected) {
        EXPECT_EQ(FileError(cause, path).ReportText(), text);
    }
}

TEST(FileErrorReport, WithoutAPathTheFileIsUnnamed) {
    EXPECT_EQ(FileError(FileErrorCause::DiskFull, "").ReportText(),
              "Disk full while accessing an unnamed file.");
}

TEST(FileErrorReport, IsCutTo511Characters) {
    const std::string longPath(600, 'p');
    const std::string text = FileError(FileErrorCause::AccessDenied, longPath).ReportText();
    EXPECT_EQ(text.size(), 511u);
    EXPECT_EQ(text, "Access to " + std::string(501, 'p'));
    // A percent sign in the path is not a placeholder.
    EXPECT_EQ(FileError(FileErrorCause::BadPath, "/a%1b").ReportText(),
              "/a%1b contains an invalid path.");
}

#ifndef _WIN32
// Windows error numbers: the Win32 platform suite.
TEST(FileErrorReport, SystemErrorsMapToTheNearestCause) {
    EXPECT_EQ(FileErrorCauseOf(EACCES), FileErrorCause::AccessDenied);
    EXPECT_EQ(FileErrorCauseOf(EROFS), FileErrorCause::AccessDenied);
    EXPECT_EQ(FileErrorCauseOf(ENOENT), FileErrorCause::BadPath);
    EXPECT_EQ(FileErrorCauseOf(ENOSPC), FileErrorCause::DiskFull);
    EXPECT_EQ(FileErrorCauseOf(EMFILE), FileErrorCause::TooManyOpenFiles);
    EXPECT_EQ(FileErrorCauseOf(EIO), FileErrorCause::HardIO);
    EXPECT_EQ(FileErrorCauseOf(ETXTBSY), FileErrorCause::SharingViolation);
    EXPECT_EQ(FileErrorCauseOf(ECONNRESET), FileErrorCause::Generic);
}
#endif

}  // namespace
