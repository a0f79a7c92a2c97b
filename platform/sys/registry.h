#pragma once

// Read access to registry string values. A key is a folder below the registry folder
// ("<hive>/<key>/<subkey>"), a value is a file in it holding the value's text; a trailing
// line break of the file is not part of the value. Names compare without regard to case.

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

enum class HKEY : std::uintptr_t {};
using REGSAM = DWORD;
using LSTATUS = LONG;

inline constexpr HKEY HKEY_CLASSES_ROOT{0x80000000};
inline constexpr HKEY HKEY_CURRENT_USER{0x80000001};
inline constexpr HKEY HKEY_LOCAL_MACHINE{0x80000002};
inline constexpr HKEY HKEY_USERS{0x80000003};
inline constexpr HKEY HKEY_CURRENT_CONFIG{0x80000005};

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_READ = 0x20019;

inline constexpr DWORD REG_SZ = 1;

// ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (no such key), ERROR_INVALID_HANDLE or
// ERROR_INVALID_PARAMETER. An opened key is closed with RegCloseKey.
LSTATUS RegOpenKeyExA(HKEY key, const char* sub_key, DWORD options, REGSAM desired, HKEY* result);
// Copies the value and its terminator into `data`; `data_size` holds the room in bytes and
// receives the bytes the value takes, terminator included. ERROR_MORE_DATA when it does not
// fit (the data is left alone); with null `data` only the size is reported.
LSTATUS RegQueryValueExA(HKEY key, const char* value_name, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* data_size);
LSTATUS RegCloseKey(HKEY key);

}  // namespace platform
