#pragma once

// Whether a Halcyra console is attached: the search behind the library's CheckDevice.

#include "platform/win_types.h"

namespace virelo {

inline constexpr int kConsoleAttached = 0;
inline constexpr int kConsoleNotAttached = -1;

// The pause after a search, before the answer.
inline constexpr platform::DWORD kPauseAfterSearchMs = 50;

inline constexpr char kCreateFailedText[] = "Can't Create USBIO Instance.....";

// Creates a new USBIO instance into g_pUSBIODevice (the earlier one is closed and released
// first) and searches the devices of the USBIO device class for the console. kConsoleAttached
// only when the console is device index 0; it is then left open on the instance. When the
// instance cannot be created, says so in a message box. A failing USBIO operation raises
// platform::_com_error; the C entry point turns it into kConsoleNotAttached.
int CheckDevice();

}  // namespace virelo
