#include "base/file_error.h"

#include "base/utf8.h"

namespace {

const char* CauseText(FileErrorCause cause) {
    switch (cause) {
        case FileErrorCause::None:
            return "No error occurred.";
        case FileErrorCause::Generic:
            break;
        case FileErrorCause::FileNotFound:
            return "%1 was not found.";
        case FileErrorCause::BadPath:
            return "%1 contains an invalid path.";
        case FileErrorCause::TooManyOpenFiles:
            return "%1 could not be opened because there are too many open files.";
        case FileErrorCause::AccessDenied:
            return "Access to %1 was denied.";
        case FileErrorCause::InvalidFile:
            return "An invalid file handle was associated with %1.";
        case FileErrorCause::RemoveCurrentDir:
            return "%1 could not be removed because it is the current directory.";
        case FileErrorCause::DirectoryFull:
            return "%1 could not be created because the directory is full.";
        case FileErrorCause::BadSeek:
            return "Seek failed on %1";
        case FileErrorCause::HardIO:
            return "A hardware I/O error was reported while accessing %1.";
        case FileErrorCause::SharingViolation:
            return "A sharing violation occurred while accessing %1.";
        case FileErrorCause::LockViolation:
            return "A locking violation occurred while accessing %1.";
        case FileErrorCause::DiskFull:
            return "Disk full while accessing %1.";
        case FileErrorCause::EndOfFile:
            return "An attempt was made to access %1 past its end.";
    }
    return "An unknown error occurred while accessing %1.";
}

}  // namespace

std::string FileError::ReportText() const {
    const std::string file = path_.empty() ? std::string("an unnamed file") : path_;
    const std::string pattern = CauseText(cause_);
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '1') {
            text += file;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    if (text.size() > kFileErrorReportMaxLength) {
        // A UTF-8 report is cut between characters, so that it stays UTF-8.
        std::size_t cut = kFileErrorReportMaxLength;
        if (IsValidUtf8(text)) {
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
                --cut;
            }
        }
        text.resize(cut);
    }
    return text;
}
