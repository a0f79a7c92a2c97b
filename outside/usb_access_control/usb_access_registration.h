#pragma once

// Installs the USB access control: its class factory in the process's class registry, so a
// host can create it by its class id (CreateHostedControl). Without a registration the
// creation fails with REGDB_E_CLASSNOTREG.

#include <memory>
#include <string_view>

#include "outside/usb/bus.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/hresult.h"

namespace outside::usb_access_control {

// `bus` null: each control takes the process bus (console_sim::ProcessBus()) when it is
// created; when that bus cannot be built the creation fails. Replaces an earlier registration.
platform::HRESULT RegisterUsbAccessControl(std::shared_ptr<usb::Bus> bus = nullptr);
// REGDB_E_CLASSNOTREG when it was not registered.
platform::HRESULT UnregisterUsbAccessControl();

// Registered for the guard's lifetime (tests).
class ScopedUsbAccessControl {
 public:
  explicit ScopedUsbAccessControl(std::shared_ptr<usb::Bus> bus = nullptr);
  ScopedUsbAccessControl(const ScopedUsbAccessControl&) = delete;
  ScopedUsbAccessControl& operator=(const ScopedUsbAccessControl&) = delete;
  ~ScopedUsbAccessControl();
};

// What a dialog does for a control line of its template that names a component: creates the
// component named by `class_id` (registry text form "{...}") on the calling thread, which then
// receives its events, and hands out its dispatch interface. E_INVALIDARG for a text that is
// no class id; otherwise the creation's result (REGDB_E_CLASSNOTREG when not registered).
// Needs CoInitialize on the calling thread.
platform::HRESULT CreateHostedControl(std::string_view class_id,
                                      platform::ComPtr<platform::IDispatch>& control);

}  // namespace outside::usb_access_control
