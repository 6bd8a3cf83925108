#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// The Win32 file calls for a path in either text form: a code-page path goes
// to the ANSI functions as it is, a UTF-8 one to the wide functions as
// UTF-16. Before any call, a path of MAX_PATH units or more fails with
// ERROR_FILENAME_EXCED_RANGE (Windows refuses such paths, but Wine cuts them
// down and would act on another name), and UTF-8 that does not convert with
// ERROR_INVALID_NAME. Otherwise each answers as the call it stands for.

HANDLE CreateFileIn(TextForm form, const std::string& path, DWORD access, DWORD share,
                    DWORD disposition, DWORD flags);
DWORD GetFileAttributesIn(TextForm form, const std::string& path);
bool SetFileAttributesIn(TextForm form, const std::string& path, DWORD attributes);
bool DeleteFileIn(TextForm form, const std::string& path);
// MoveFile: never over an existing file, across volumes too.
bool MoveFileIn(TextForm form, const std::string& from, const std::string& to);
// MoveFileEx, replacing `to` and writing through.
bool ReplaceFileIn(TextForm form, const std::string& from, const std::string& to);

// Hands each name in `folder` (a path ending in a separator), spelt in
// `form`, to `each`. True only when the listing ran to its end.
bool ListFolderIn(TextForm form, const std::string& folder,
                  const std::function<void(std::string_view)>& each);
