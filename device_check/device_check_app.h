#pragma once

// The framework's application object of the library and the component module that holds the
// library's own classes. The library serves no classes; the USBIO instances it uses belong to
// the USBIO server, so they never count here.

#include "platform/com/com_module.h"
#include "platform/thread/win_thread.h"

namespace virelo {

platform::ComModule& LibraryModule();

// Runs no loop of its own: the library's load starts it and its unload ends it.
class CDeviceCheckApp final : public platform::WinThread {
 public:
  // Registers the library's class factories (there are none).
  platform::BOOL InitInstance() override;
};

}  // namespace virelo
