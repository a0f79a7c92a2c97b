#pragma once

// The system folders the program asks for, answered in Windows form ("C:\Windows").

#include "platform/win_types.h"

namespace platform {

inline constexpr UINT MAX_PATH = 260;

inline constexpr int CSIDL_APPDATA = 0x001a;
inline constexpr int CSIDL_WINDOWS = 0x0024;
inline constexpr int CSIDL_PROGRAM_FILES = 0x0026;

// Length without the terminator when the folder fits into `size` characters; otherwise the
// size it needs, terminator included, and `buffer` holds the empty string.
UINT GetWindowsDirectoryA(char* buffer, UINT size);
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);

// `path` has room for MAX_PATH characters. FALSE for a folder this system does not know or
// one that cannot be created when `create` asks for it. The folder need not exist otherwise.
BOOL SHGetSpecialFolderPathA(HWND owner, char* path, int csidl, BOOL create);

}  // namespace platform
