#include "outside/usbio_server/open_devices.h"

namespace outside::usbio_server {

bool OpenDevices::Add(const usb::Device& device) {
  const std::lock_guard lock(mutex_);
  return holders_[&device]++ > 0;
}

bool OpenDevices::Remove(const usb::Device& device) {
  const std::lock_guard lock(mutex_);
  const auto found = holders_.find(&device);
  if (found == holders_.end()) return false;
  if (--found->second > 0) return false;
  holders_.erase(found);
  return true;
}

OpenDevices& ProcessOpenDevices() {
  // Never destroyed: instances released during static destruction still unregister here.
  static auto* const open_devices = new OpenDevices();
  return *open_devices;
}

}  // namespace outside::usbio_server
