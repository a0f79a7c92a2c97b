#pragma once

// Installs the USBIO server: puts its class factory into the process's class registry, so
// CoCreateInstance(CLSID_USBIOCOM, ...) makes instances over a USB bus. Without a
// registration creating an instance fails with REGDB_E_CLASSNOTREG, as on a PC without the
// server.

#include <memory>

#include "outside/usb/bus.h"
#include "platform/com/hresult.h"

namespace outside::usbio_server {

// `bus` null: each instance takes the process bus (console_sim::ProcessBus()) when it is
// created; when that bus cannot be built the creation fails. Replaces an earlier registration.
platform::HRESULT RegisterUsbioServer(std::shared_ptr<usb::Bus> bus = nullptr);
// REGDB_E_CLASSNOTREG when it was not registered.
platform::HRESULT UnregisterUsbioServer();

// Registered for the guard's lifetime (tests).
class ScopedUsbioServer {
 public:
  explicit ScopedUsbioServer(std::shared_ptr<usb::Bus> bus = nullptr);
  ScopedUsbioServer(const ScopedUsbioServer&) = delete;
  ScopedUsbioServer& operator=(const ScopedUsbioServer&) = delete;
  ~ScopedUsbioServer();
};

}  // namespace outside::usbio_server
