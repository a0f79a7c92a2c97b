#include "device_check/usbio_installation.h"

#include <array>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>

#include "device_check/failing_usbio_device.h"
#include "outside/console_sim/process_bus.h"
#include "outside/usbio_server/usbio_interfaces.h"
#include "outside/usbio_server/usbio_registration.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_runtime.h"

namespace virelo {

namespace {

constexpr std::string_view kInstalled = "installed";
constexpr std::string_view kMissing = "missing";
constexpr std::string_view kFailingPrefix = "failing:";

struct OperationName {
  std::string_view name;
  UsbioOperation operation;
};

constexpr std::array<OperationName, 4> kOperationNames = {{
    {"enumerate", UsbioOperation::kEnumerate},
    {"open", UsbioOperation::kOpen},
    {"close", UsbioOperation::kClose},
    {"descriptor", UsbioOperation::kReadDescriptor},
}};

[[noreturn]] void Refuse(std::string_view text) {
  throw UsbioInstallationError(
      std::string(kUsbioVariable) + "=" + std::string(text) +
      ": use installed, missing or failing:<enumerate|open|close|descriptor>");
}

platform::ComPtr<platform::IUnknown> MakeFailingInstance(UsbioOperation failing) {
  try {
    return MakeFailingUsbioDevice(outside::console_sim::ProcessBus(), failing);
  } catch (const std::exception&) {
    // No bus (a bad scenario): the creation fails, as with the plain server.
    return nullptr;
  }
}

}  // namespace

UsbioInstallation ParseUsbioInstallation(std::string_view text) {
  if (text.empty() || text == kInstalled) {
    return {};
  }
  if (text == kMissing) {
    return UsbioInstallation{false, std::nullopt};
  }
  if (text.starts_with(kFailingPrefix)) {
    const std::string_view name = text.substr(kFailingPrefix.size());
    for (const OperationName& known : kOperationNames) {
      if (known.name == name) {
        return UsbioInstallation{true, known.operation};
      }
    }
  }
  Refuse(text);
}

UsbioInstallation UsbioInstallationFromEnvironment() {
  const char* value = std::getenv(kUsbioVariable);
  return ParseUsbioInstallation(value != nullptr ? value : "");
}

void InstallUsbioServer(const UsbioInstallation& installation) {
  if (!installation.installed) {
    UninstallUsbioServer();
    return;
  }
  if (!installation.failing) {
    outside::usbio_server::RegisterUsbioServer();
    return;
  }
  const auto factory = platform::MakeComObject<platform::ClassFactory>(
      [failing = *installation.failing] { return MakeFailingInstance(failing); });
  platform::RegisterClassFactory(outside::usbio_server::CLSID_USBIOCOM, factory,
                                 platform::CLSCTX_INPROC_SERVER);
}

void UninstallUsbioServer() { outside::usbio_server::UnregisterUsbioServer(); }

}  // namespace virelo
