#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

// The Win32 file calls for a UTF-8 path, through the wide functions. Before
// any call, a path of MAX_PATH UTF-16 units or more fails with
// ERROR_FILENAME_EXCED_RANGE (Windows refuses such paths, but Wine cuts them
// down and would act on another name), and one that is not UTF-8 with
// ERROR_INVALID_NAME. Otherwise each answers as the call it stands for.

HANDLE CreateFileIn(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags);
DWORD GetFileAttributesIn(const std::string& path);
bool SetFileAttributesIn(const std::string& path, DWORD attributes);
bool DeleteFileIn(const std::string& path);
// MoveFile: never over an existing file, across volumes too.
bool MoveFileIn(const std::string& from, const std::string& to);
// MoveFileEx, replacing `to` and writing through.
bool ReplaceFileIn(const std::string& from, const std::string& to);

// Hands each name in `folder` (a path ending in a separator), in UTF-8, to
// `each`. True only when the listing ran to its end.
bool ListFolderIn(const std::string& folder, const std::function<void(std::string_view)>& each);
