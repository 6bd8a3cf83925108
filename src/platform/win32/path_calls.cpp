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

bool AnsiPath(const std::string& path) {
    return FitsPathLimit(path.size());
}

std::optional<std::wstring> WidePath(const std::string& path) {
    std::optional<std::wstring> wide = WideText(path, CP_UTF8);
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

// The names of a search begun with `found`, each spelt by `name`.
bool ReadListing(HANDLE search, auto& found, auto next, const auto& name,
                 const std::function<void(std::string_view)>& each) {
    const SearchCloser closer{search};
    do {
        each(name(found));
    } while (next(search, &found));
    // A listing cut short could leave out a file that is there.
    return GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace

HANDLE CreateFileIn(TextForm form, const std::string& path, DWORD access, DWORD share,
                    DWORD disposition, DWORD flags) {
    if (form == TextForm::CodePage) {
        return AnsiPath(path)
                   ? CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr)
                   : INVALID_HANDLE_VALUE;
    }
    const std::optional<std::wstring> wide = WidePath(path);
    return wide ? CreateFileW(wide->c_str(), access, share, nullptr, disposition, flags, nullptr)
                : INVALID_HANDLE_VALUE;
}

DWORD GetFileAttributesIn(TextForm form, const std::string& path) {
    if (form == TextForm::CodePage) {
        return AnsiPath(path) ? GetFileAttributesA(path.c_str()) : INVALID_FILE_ATTRIBUTES;
    }
    const std::optional<std::wstring> wide = WidePath(path);
    return wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool SetFileAttributesIn(TextForm form, const std::string& path, DWORD attributes) {
    if (form == TextForm::CodePage) {
        return AnsiPath(path) && SetFileAttributesA(path.c_str(), attributes);
    }
    const std::optional<std::wstring> wide = WidePath(path);
    return wide && SetFileAttributesW(wide->c_str(), attributes);
}

bool DeleteFileIn(TextForm form, const std::string& path) {
    if (form == TextForm::CodePage) {
        return AnsiPath(path) && DeleteFileA(path.c_str());
    }
    const std::optional<std::wstring> wide = WidePath(path);
    return wide && DeleteFileW(wide->c_str());
}

bool MoveFileIn(TextForm form, const std::string& from, const std::string& to) {
    if (form == TextForm::CodePage) {
        return AnsiPath(from) && AnsiPath(to) && MoveFileA(from.c_str(), to.c_str());
    }
    const std::optional<std::wstring> wideFrom = WidePath(from);
    if (!wideFrom) {
        return false;
    }
    const std::optional<std::wstring> wideTo = WidePath(to);
    return wideTo && MoveFileW(wideFrom->c_str(), wideTo->c_str());
}

bool ReplaceFileIn(TextForm form, const std::string& from, const std::string& to) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (form == TextForm::CodePage) {
        return AnsiPath(from) && AnsiPath(to) && MoveFileExA(from.c_str(), to.c_str(), flags);
    }
    const std::optional<std::wstring> wideFrom = WidePath(from);
    if (!wideFrom) {
        return false;
    }
    const std::optional<std::wstring> wideTo = WidePath(to);
    return wideTo && MoveFileExW(wideFrom->c_str(), wideTo->c_str(), flags);
}

bool ListFolderIn(TextForm form, const std::string& folder,
                  const std::function<void(std::string_view)>& each) {
    const std::string pattern = folder + "*";
    if (form == TextForm::CodePage) {
        WIN32_FIND_DATAA found{};
        if (!AnsiPath(pattern)) {
            return false;
        }
        const HANDLE search = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, kLargeFetch);
        const auto name = [](const WIN32_FIND_DATAA& f) { return std::string_view(f.cFileName); };
        return search != INVALID_HANDLE_VALUE &&
               ReadListing(search, found, FindNextFileA, name, each);
    }
    WIN32_FIND_DATAW found{};
    const std::optional<std::wstring> wide = WidePath(pattern);
    if (!wide) {
        return false;
    }
    const HANDLE search = FindFirstFileExW(wide->c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, kLargeFetch);
    std::string spelt;
    const auto name = [&spelt](const WIN32_FIND_DATAW& f) {
        spelt = NarrowText(f.cFileName, CP_UTF8);
        return std::string_view(spelt);
    };
    return search != INVALID_HANDLE_VALUE && ReadListing(search, found, FindNextFileW, name, each);
}
