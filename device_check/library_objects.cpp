#include "device_check/library_objects.h"

namespace virelo {

const std::string g_strDeviceId = "TMX320VC5509";

outside::usbio_server::IUSBIOComDevicePtr g_pUSBIODevice;

void ReleaseUsbioInstance() noexcept {
  if (!g_pUSBIODevice) {
    return;
  }
  // Called directly, not through the raising wrapper: a close that fails must not keep the
  // instance (and its open device) alive.
  g_pUSBIODevice.Get()->Close();
  g_pUSBIODevice.Reset();
}

}  // namespace virelo
