#pragma once

// Which devices the server's instances hold open, across all instances of the process: an open
// tells whether it shares the device, and the device is closed when its last holder lets it go.

#include <map>
#include <mutex>

#include "outside/usb/device.h"

namespace outside::usbio_server {

class OpenDevices {
 public:
  // Counts one more holder; true when others held it already.
  bool Add(const usb::Device& device);
  // Counts one holder less; true when that was the last one.
  bool Remove(const usb::Device& device);

 private:
  std::mutex mutex_;
  std::map<const usb::Device*, int> holders_;
};

OpenDevices& ProcessOpenDevices();

}  // namespace outside::usbio_server
