#pragma once

// A USBIO server instance over a bus whose one operation fails with E_FAIL on every call; all
// other operations are the server's own.

#include <memory>

#include "device_check/usbio_installation.h"
#include "outside/usb/bus.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace virelo {

platform::ComPtr<platform::IUnknown> MakeFailingUsbioDevice(std::shared_ptr<outside::usb::Bus> bus,
                                                            UsbioOperation failing);

}  // namespace virelo
