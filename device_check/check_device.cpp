#include "device_check/check_device.h"

#include "device_check/device_search.h"
#include "device_check/library_objects.h"
#include "platform/com/com_runtime.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/message_box.h"

namespace virelo {

namespace {

constexpr int kConsoleIndex = 0;

}  // namespace

int CheckDevice() {
  // Every call initialises COM on its thread; the library never uninitialises it.
  platform::CoInitialize(nullptr);

  // An instance left over from the previous call would keep its console open, and the new
  // instance would then find it shared instead of free.
  ReleaseUsbioInstance();
  if (platform::FAILED(g_pUSBIODevice.CreateInstance(platform::CLSCTX_ALL))) {
    platform::AfxMessageBox(kCreateFailedText, platform::MB_OK);
    return kConsoleNotAttached;
  }

  platform::LONG device_count = 0;
  g_pUSBIODevice.Enumerate(g_bstrDeviceInterfaceGuid.GetBSTR(), &device_count);
  if (device_count <= 0) {
    return kConsoleNotAttached;
  }
  const int index = FindDevice(kEnumerateFirst);
  platform::Sleep(kPauseAfterSearchMs);
  return index == kConsoleIndex ? kConsoleAttached : kConsoleNotAttached;
}

}  // namespace virelo
