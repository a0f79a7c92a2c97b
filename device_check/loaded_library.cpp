#include "device_check/loaded_library.h"

#include <exception>
#include <iostream>
#include <string_view>

#include "device_check/library_objects.h"
#include "device_check/library_ui.h"
#include "device_check/usbio_installation.h"
#include "outside/console_sim/process_bus.h"
#include "platform/clock/clock.h"
#include "platform/ui/message_box.h"

namespace virelo {

namespace {

void Report(std::string_view problem) {
  if (!problem.empty()) {
    std::cerr << kApplicationTitle << ": " << problem << '\n';
  }
}

void InstallUsbioFromEnvironment() {
  try {
    InstallUsbioServer(UsbioInstallationFromEnvironment());
  } catch (const UsbioInstallationError& error) {
    Report(error.what());  // the server stays missing
  }
}

// Built now, so a bad HALCYRA_USB is reported once, at load.
void BuildProcessBus() {
  try {
    outside::console_sim::ProcessBus();
  } catch (const std::exception& error) {
    Report(error.what());
  }
}

}  // namespace

LoadedLibrary::LoadedLibrary() {
  if (!platform::InstallClockFromEnvironment()) {
    Report("TESSALY_CLOCK: use real, real:<factor> or virtual; the real clock is used");
  }
  platform::SetApplicationTitle(kApplicationTitle);
  Report(InstallLibraryUiFromEnvironment());
  BuildProcessBus();
  InstallUsbioFromEnvironment();
  app_.InitInstance();
}

LoadedLibrary::~LoadedLibrary() {
  ReleaseUsbioInstance();
  app_.ExitInstance();
  UninstallUsbioServer();
}

}  // namespace virelo
