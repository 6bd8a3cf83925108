#include <gtest/gtest.h>

#include "base/file_error.h"

namespace {

TEST(FileErrorReport, NamesTheFileAndIsCutAt511Characters) {
    EXPECT_EQ(FileError(FileErrorCause::DiskFull, "/ut/Cache/cache.ini").ReportText(),
              "Disk full while accessing /ut/Cache/cache.ini.");
    EXPECT_EQ(FileError(FileErrorCause::Generic, "").ReportText(),
              "An unknown error occurred while accessing an unnamed file.");
    // "%1" is the only placeholder: a path holding one is shown as it is.
    EXPECT_EQ(FileError(FileErrorCause::AccessDenied, "/a%1b").ReportText(),
              "Access to /a%1b was denied.");
    const std::string text = FileError(FileErrorCause::BadPath, std::string(600, 'p')).ReportText();
    EXPECT_EQ(text, std::string(511, 'p'));
    // Never inside a UTF-8 character; other bytes are cut where they stand.
    const std::string p510(510, 'p');
    EXPECT_EQ(FileError(FileErrorCause::BadPath, p510 + "\xc3\xa9").ReportText(), p510);
    EXPECT_EQ(FileError(FileErrorCause::BadPath, p510 + "\xe9\xa9").ReportText(), p510 + "\xe9");
}

}  // namespace
