#include "device_check/library_objects.h"

namespace virelo {

// Built before, and so destroyed after, the library's other static objects: the object that
// loads and unloads the library (exports.cpp) still releases the instance through them.
#define VIRELO_BUILT_FIRST __attribute__((init_priority(101)))

const std::string g_strDeviceId VIRELO_BUILT_FIRST = "TMX320VC5509";

outside::usbio_server::IUSBIOComDevicePtr g_pUSBIODevice VIRELO_BUILT_FIRST;

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
