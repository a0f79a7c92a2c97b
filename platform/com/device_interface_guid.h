#pragma once

// The device-interface class under which the USB server enumerates the consoles. Every
// enumerate and the notification request pass this string. One per module, built during
// static initialisation and freed at exit.

#include "platform/com/bstr.h"

namespace platform {

extern const _bstr_t g_bstrDeviceInterfaceGuid;

}  // namespace platform
