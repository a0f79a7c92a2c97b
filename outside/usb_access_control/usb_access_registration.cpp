#include "outside/usb_access_control/usb_access_registration.h"

#include <exception>
#include <optional>

#include "outside/console_sim/process_bus.h"
#include "outside/usb_access_control/usb_access_control.h"
#include "outside/usb_access_control/usb_access_interfaces.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_runtime.h"
#include "platform/com/guid.h"

namespace outside::usb_access_control {

namespace {

platform::ComPtr<platform::IUnknown> MakeControl(const std::shared_ptr<usb::Bus>& bus) {
  try {
    const auto control =
        platform::MakeComObject<UsbAccessControl>(bus ? bus : console_sim::ProcessBus());
    return platform::ComPtr<platform::IUnknown>(control->GetUnknown());
  } catch (const std::exception&) {
    // A process bus that cannot be built (bad scenario) makes the creation fail; the
    // program reports that where it builds the bus itself.
    return nullptr;
  }
}

}  // namespace

platform::HRESULT RegisterUsbAccessControl(std::shared_ptr<usb::Bus> bus) {
  const auto factory = platform::MakeComObject<platform::ClassFactory>(
      [bus = std::move(bus)] { return MakeControl(bus); });
  return platform::RegisterClassFactory(CLSID_USBAccess, factory, platform::CLSCTX_INPROC_SERVER);
}

platform::HRESULT UnregisterUsbAccessControl() {
  return platform::UnregisterClassFactory(CLSID_USBAccess);
}

ScopedUsbAccessControl::ScopedUsbAccessControl(std::shared_ptr<usb::Bus> bus) {
  RegisterUsbAccessControl(std::move(bus));
}

ScopedUsbAccessControl::~ScopedUsbAccessControl() { UnregisterUsbAccessControl(); }

platform::HRESULT CreateHostedControl(std::string_view class_id,
                                      platform::ComPtr<platform::IDispatch>& control) {
  control.Reset();
  const std::optional<platform::CLSID> clsid = platform::ParseGuid(class_id);
  if (!clsid) return platform::E_INVALIDARG;
  platform::IDispatch* created = nullptr;
  const platform::HRESULT hr =
      platform::CoCreateInstance(*clsid, nullptr, platform::CLSCTX_INPROC_SERVER, &created);
  control.Attach(created);
  return hr;
}

}  // namespace outside::usb_access_control
