#pragma once

#include <cerrno>

// The error numbers the file layer reports, as each platform numbers them.
#ifdef _WIN32
inline constexpr int kErrorAccessDenied = 5;      // ERROR_ACCESS_DENIED
inline constexpr int kErrorFileNotFound = 2;      // ERROR_FILE_NOT_FOUND
inline constexpr int kErrorPathNotFound = 3;      // ERROR_PATH_NOT_FOUND
inline constexpr int kErrorAlreadyExists = 183;   // ERROR_ALREADY_EXISTS
inline constexpr int kErrorTooManyOpenFiles = 4;  // ERROR_TOO_MANY_OPEN_FILES
#else
inline constexpr int kErrorAccessDenied = EACCES;
inline constexpr int kErrorFileNotFound = ENOENT;
inline constexpr int kErrorPathNotFound = ENOENT;
inline constexpr int kErrorAlreadyExists = EEXIST;
inline constexpr int kErrorTooManyOpenFiles = EMFILE;
#endif
