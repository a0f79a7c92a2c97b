#pragma once

// The integer and handle types that the framework-style code of the program is written in.

#include <cstdint>

namespace platform {

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// A window handle is an opaque number; it is never dereferenced, so a stale handle is
// detected by lookup instead of crashing.
struct WindowHandleTag;
using HWND = WindowHandleTag*;

}  // namespace platform
