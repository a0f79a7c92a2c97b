#include "device_check/device_check_app.h"

namespace virelo {

platform::ComModule& LibraryModule() {
  static platform::ComModule module;
  return module;
}

platform::BOOL CDeviceCheckApp::InitInstance() {
  LibraryModule().RegisterServer();
  return platform::TRUE;
}

}  // namespace virelo
