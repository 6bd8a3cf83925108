#include "support/win32_file_times.h"

#include <windows.h>

#include <stdexcept>

void SetCreationFileTime(const std::filesystem::path& path, std::uint64_t time) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open " + path.string());
    }
    FILETIME created{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    const BOOL set = SetFileTime(file, &created, nullptr, &created);
    CloseHandle(file);
    if (!set) {
        throw std::runtime_error("cannot set the creation time of " + path.string());
    }
}
