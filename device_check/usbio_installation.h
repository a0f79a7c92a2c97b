#pragma once

// How the USBIO server is installed on the simulated PC the library runs on, as VIRELO_USBIO
// says:
//   unset, empty or "installed"  the server over the process's USB bus (HALCYRA_USB)
//   "missing"                    no server: creating an instance fails
//   "failing:<operation>"        the server, but every call of one operation (enumerate, open,
//                                close or descriptor) fails with E_FAIL
// The last form lets a run show what a server error in the middle of a search does.

#include <optional>
#include <stdexcept>
#include <string_view>

namespace virelo {

inline constexpr const char* kUsbioVariable = "VIRELO_USBIO";

enum class UsbioOperation { kEnumerate, kOpen, kClose, kReadDescriptor };

struct UsbioInstallation {
  bool installed = true;
  std::optional<UsbioOperation> failing;
};

class UsbioInstallationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws UsbioInstallationError naming the variable and the accepted values.
UsbioInstallation ParseUsbioInstallation(std::string_view text);
UsbioInstallation UsbioInstallationFromEnvironment();

// Registers the server's class as the installation says (replacing an earlier registration),
// or takes it out.
void InstallUsbioServer(const UsbioInstallation& installation);
void UninstallUsbioServer();

}  // namespace virelo
