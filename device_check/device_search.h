#pragma once

// The search for the console among the devices of the USBIO device class, on g_pUSBIODevice.
// A failing USBIO operation raises platform::_com_error, which these functions let through.

#include <string>

#include "platform/win_types.h"

namespace virelo {

// FindDevice's count that asks it to enumerate the devices itself.
inline constexpr platform::LONG kEnumerateFirst = -1;
inline constexpr int kNoConsole = -1;

// Opens each device in enumeration order and returns the index of the first one whose string
// descriptor 2 holds g_strDeviceId (exactly, letter case included); that device stays open.
// Every other device is closed again. kNoConsole when none matches.
int FindDevice(platform::LONG device_count);

// The text of string descriptor 2 of the device open on g_pUSBIODevice, read as UTF-16 up to
// its first zero character. Its first character is the descriptor's header (length and type
// bytes), the descriptor's own text follows. Empty when the descriptor cannot be read.
std::string ReadStringDescriptor();

}  // namespace virelo
