#pragma once

// The library-wide objects: built when the library is loaded, released when it is unloaded.
// The device-interface class text every enumerate passes is the platform's
// g_bstrDeviceInterfaceGuid, one per module like these.

#include <string>

#include "outside/usbio_server/usbio_device_ptr.h"
#include "platform/com/device_interface_guid.h"

namespace virelo {

using platform::g_bstrDeviceInterfaceGuid;

// The identity looked for in string descriptor 2 of each device.
extern const std::string g_strDeviceId;

// The USBIO instance of the latest check; empty until the first one. A console it found stays
// open on it.
extern outside::usbio_server::IUSBIOComDevicePtr g_pUSBIODevice;

// Closes the device held open on the instance and lets the instance go; nothing when empty.
void ReleaseUsbioInstance() noexcept;

}  // namespace virelo
