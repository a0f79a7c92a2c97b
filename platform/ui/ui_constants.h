#pragma once

// Numbers of the windowing system's dialogs, controls, menus, message boxes and file dialogs,
// as the program uses them.

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

using INT_PTR = std::intptr_t;
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8U) |
         (static_cast<COLORREF>(blue) << 16U);
}
constexpr BYTE GetRValue(COLORREF color) { return static_cast<BYTE>(color & 0xFFU); }
constexpr BYTE GetGValue(COLORREF color) { return static_cast<BYTE>((color >> 8U) & 0xFFU); }
constexpr BYTE GetBValue(COLORREF color) { return static_cast<BYTE>((color >> 16U) & 0xFFU); }

// Dialog results and the command ids of the standard buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
// The id of controls that the program never addresses.
inline constexpr int IDC_STATIC = -1;

// Message box buttons and icons.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
// Drawn like the error icon, but a value of its own so that a transcript tells which of the two
// the program asked for.
inline constexpr UINT MB_ICONSTOP = 0x50;
inline constexpr UINT MB_ICONMASK = 0xF0;

// Notification codes carried in the high word of WM_COMMAND.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;

// Check states of check boxes and radio buttons.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

// Combo box results.
inline constexpr int CB_ERR = -1;

// Menu flags.
inline constexpr UINT MF_BYCOMMAND = 0x0;
inline constexpr UINT MF_STRING = 0x0;
inline constexpr UINT MF_ENABLED = 0x0;
inline constexpr UINT MF_GRAYED = 0x1;
inline constexpr UINT MF_DISABLED = 0x2;
inline constexpr UINT MF_BYPOSITION = 0x400;
inline constexpr UINT MF_SEPARATOR = 0x800;
// EnableMenuItem and GetMenuState answer this for an item that does not exist.
inline constexpr UINT kNoMenuItem = 0xFFFFFFFFU;

// System commands besides SC_CLOSE (messages.h).
inline constexpr UINT SC_MOVE = 0xF010;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// SetIcon sizes.
inline constexpr BOOL ICON_SMALL = 0;
inline constexpr BOOL ICON_BIG = 1;

// Window messages that a message map may name although nothing here sends them.
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;

// Font weights.
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;

// Background modes of a control's text.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// File dialog flags.
inline constexpr DWORD OFN_READONLY = 0x1;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;
inline constexpr DWORD OFN_EXPLORER = 0x80000;

}  // namespace platform
