#pragma once

// File-level calls: removing a file and asking what a name is.

#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// FALSE with the reason in GetLastError(): ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED (a
// folder), ERROR_SHARING_VIOLATION while a handle holds the file open, ...
BOOL DeleteFileA(const char* file_name);
// INVALID_FILE_ATTRIBUTES when nothing has that name.
DWORD GetFileAttributesA(const char* file_name);

}  // namespace platform
