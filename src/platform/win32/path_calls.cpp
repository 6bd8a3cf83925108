#include "platform/win32/path_calls.h"

#include <optional>

#include "platform/win32/wide_text.h"

namespace {

bool FitsPathLimit(std::size_t units) {
    if (units < MAX_PATH) {
        return true;
    }
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

std::optional<std::wstring> WidePath(const std::string& path) {
    // A NUL would end the name early, and so reach another file.
    std::optional<std::wstring> wide =
        path.find('\0') == std::string::npos ? WideText(path, CP_UTF8) : std::nullopt;
    if (!wide) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    return FitsPathLimit(wide->size()) ? wide : std::nullopt;
}

constexpr DWORD kLargeFetch = FIND_FIRST_EX_LARGE_FETCH;

// Ends a search once.
struct SearchCloser {
    HANDLE search;
    ~SearchCloser() { FindClose(search); }
};

}  // namespace

HANDLE CreateFileIn(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags) {
    const std::optional<std::wstring> wide = WidePath(path);
    return wide ? CreateFileW(wide->c_str(), access, share, nullptr, disposition, flags, nullptr)
                : INVALID_HANDLE_VALUE;
}

DWORD GetFileAttributesIn(const std::string& path) {
    const std::optional<std::wstring> wide = WidePath(path);
    return wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool SetFileAttributesIn(const std::string& path, DWORD attributes) {
    const std::optional<std::wstring> wide = WidePath(path);
    return wide && SetFileAttributesW(wide->c_str(), attributes);
}

bool DeleteFileIn(const std::string& path) {
    const std::optional<std::wstring> wide = WidePath(path);
    return wide && DeleteFileW(wide->c_str());
}

bool MoveFileIn(const std::string& from, const std::string& to) {
    const std::optional<std::wstring> wideFrom = WidePath(from);
    if (!wideFrom) {
        return false;
    }
    const std::optional<std::wstring> wideTo = WidePath(to);
    return wideTo && MoveFileW(wideFrom->c_str(), wideTo->c_str());
}

bool ReplaceFileIn(const std::string& from, const std::string& to) {
    const std::optional<std::wstring> wideFrom = WidePath(from);
    if (!wideFrom) {
        return false;
    }
    const std::optional<std::wstring> wideTo = WidePath(to);
    return wideTo && MoveFileExW(wideFrom->c_str(), wideTo->c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool ListFolderIn(const std::string& folder, const std::function<void(std::string_view)>& each) {
    const std::optional<std::wstring> pattern = WidePath(folder + "*");
    if (!pattern) {
        return false;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, kLargeFetch);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    const SearchCloser closer{search};
    do {
        each(NarrowText(found.cFileName, CP_UTF8));
    } while (FindNextFileW(search, &found));
    // A listing cut short could leave out a file that is there.
    return GetLastError() == ERROR_NO_MORE_FILES;
}
