// tessaly: builds the platform the program runs on (clock, user interface, USB backend) from
// the environment, then runs the application object on the main thread until its main window
// closes. See docs/automation.md for the environment.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "outside/console_sim/process_bus.h"
#include "outside/usb_access_control/usb_access_registration.h"
#include "outside/usbio_server/usbio_registration.h"
#include "platform/clock/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/ui_environment.h"
#include "upgrade_app/program_globals.h"
#include "upgrade_app/resources/artwork.h"
#include "upgrade_app/resources/dialog_templates.h"

namespace {

// The platform could not be built from the environment; nothing of the program ran.
constexpr int kSetupFailure = 2;

int SetupFailure(const std::string& message) {
  std::fprintf(stderr, "tessaly: %s\n", message.c_str());
  return kSetupFailure;
}

}  // namespace

int main() {
  if (!platform::InstallClockFromEnvironment()) {
    return SetupFailure("TESSALY_CLOCK: unknown clock (use real, real:<factor> or virtual)");
  }
  std::string error;
  if (!platform::InstallUiFromEnvironment(error)) return SetupFailure(error);
  try {
    outside::console_sim::ProcessBus();
  } catch (const std::exception& failure) {
    return SetupFailure(failure.what());
  }
  // The outside components installed on this PC, over the process's USB bus.
  outside::usbio_server::RegisterUsbioServer();
  outside::usb_access_control::RegisterUsbAccessControl();
  RegisterDialogTemplates();
  RegisterResourceImages();
  return platform::RunApplication(theApp);
}
