#pragma once

// The library's life inside its host process. Loading sets up what the simulated PC offers
// (clock, user interface, USB bus and USBIO server, each from the environment), then starts the
// application object; unloading lets the USBIO instance go while all of that still stands.

#include "device_check/device_check_app.h"

namespace virelo {

// The caption of the library's message boxes.
inline constexpr char kApplicationTitle[] = "Virelo";

class LoadedLibrary {
 public:
  // Problems with the environment are written to standard error; the library still loads, and
  // CheckDevice then answers as on a PC without the server.
  LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  ~LoadedLibrary();

 private:
  CDeviceCheckApp app_;
};

}  // namespace virelo
