#pragma once

// Message numbers of the windowing system, as the program and its framework use them.

#include "platform/win_types.h"

namespace platform {

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_USER = 0x0400;

// WM_SYSCOMMAND codes.
inline constexpr UINT SC_CLOSE = 0xF060;

// Builds the WPARAM of WM_COMMAND from a control id and a notification code.
constexpr WPARAM MakeCommandParam(UINT control_id, UINT notification) {
  return static_cast<WPARAM>((notification << 16U) | (control_id & 0xFFFFU));
}
constexpr UINT LoWord(WPARAM value) { return static_cast<UINT>(value & 0xFFFFU); }
constexpr UINT HiWord(WPARAM value) { return static_cast<UINT>((value >> 16U) & 0xFFFFU); }

}  // namespace platform
