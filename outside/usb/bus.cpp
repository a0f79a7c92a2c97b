#include "outside/usb/bus.h"

#include <algorithm>
#include <utility>

namespace outside::usb {

void Bus::Attach(const std::shared_ptr<Device>& device) {
  Device* const raw = device.get();
  // A device that unplugs itself is taken off like any other removal.
  Subscription unplug = device->SubscribeUnplug([this, raw] { Remove(*raw); });
  {
    std::lock_guard lock(mutex_);
    slots_.push_back(Slot{device, std::move(unplug)});
  }
  arrivals_.Notify(device);
}

bool Bus::Remove(const Device& device) {
  Slot removed;
  {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(slots_.begin(), slots_.end(),
                                    [&](const Slot& slot) { return slot.device.get() == &device; });
    if (found == slots_.end()) return false;
    removed = std::move(*found);
    slots_.erase(found);
  }
  removed.device->OnRemovedFromBus();
  removals_.Notify(removed.device);
  return true;
}

std::vector<std::shared_ptr<Device>> Bus::Devices() const {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<Device>> devices;
  devices.reserve(slots_.size());
  for (const Slot& slot : slots_) devices.push_back(slot.device);
  return devices;
}

std::size_t Bus::Count() const {
  std::lock_guard lock(mutex_);
  return slots_.size();
}

std::shared_ptr<Device> Bus::At(std::size_t index) const {
  std::lock_guard lock(mutex_);
  return index < slots_.size() ? slots_[index].device : nullptr;
}

bool Bus::Contains(const Device& device) const {
  std::lock_guard lock(mutex_);
  return std::any_of(slots_.begin(), slots_.end(),
                     [&](const Slot& slot) { return slot.device.get() == &device; });
}

}  // namespace outside::usb
