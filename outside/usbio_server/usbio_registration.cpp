#include "outside/usbio_server/usbio_registration.h"

#include <exception>

#include "outside/console_sim/process_bus.h"
#include "outside/usbio_server/usbio_instance.h"
#include "outside/usbio_server/usbio_interfaces.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_runtime.h"

namespace outside::usbio_server {

namespace {

platform::ComPtr<platform::IUnknown> MakeInstance(const std::shared_ptr<usb::Bus>& bus) {
  try {
    const auto instance =
        platform::MakeComObject<UsbioInstance>(bus ? bus : console_sim::ProcessBus());
    return platform::ComPtr<platform::IUnknown>(instance->GetUnknown());
  } catch (const std::exception&) {
    // A process bus that cannot be built (bad scenario) makes the creation fail; the
    // program reports that where it builds the bus itself.
    return nullptr;
  }
}

}  // namespace

platform::HRESULT RegisterUsbioServer(std::shared_ptr<usb::Bus> bus) {
  const auto factory = platform::MakeComObject<platform::ClassFactory>(
      [bus = std::move(bus)] { return MakeInstance(bus); });
  return platform::RegisterClassFactory(CLSID_USBIOCOM, factory, platform::CLSCTX_INPROC_SERVER);
}

platform::HRESULT UnregisterUsbioServer() {
  return platform::UnregisterClassFactory(CLSID_USBIOCOM);
}

ScopedUsbioServer::ScopedUsbioServer(std::shared_ptr<usb::Bus> bus) {
  RegisterUsbioServer(std::move(bus));
}

ScopedUsbioServer::~ScopedUsbioServer() { UnregisterUsbioServer(); }

}  // namespace outside::usbio_server
