#pragma once

// The devices attached to the host, in enumeration order, with arrival and removal notices.
// Safe to use from several threads; listeners are called outside the bus's lock.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "outside/usb/device.h"
#include "outside/usb/subscription.h"

namespace outside::usb {

class Bus {
 public:
  using DeviceListener = std::function<void(const std::shared_ptr<Device>&)>;

  Bus() = default;
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;
  ~Bus() = default;

  // Appends the device to the enumeration and announces its arrival.
  void Attach(const std::shared_ptr<Device>& device);
  // Takes the device off and announces its removal; false when it was not attached.
  bool Remove(const Device& device);

  std::vector<std::shared_ptr<Device>> Devices() const;
  std::size_t Count() const;
  // The device at enumeration index `index`; null beyond the last.
  std::shared_ptr<Device> At(std::size_t index) const;
  bool Contains(const Device& device) const;

  [[nodiscard]] Subscription SubscribeArrival(DeviceListener listener) {
    return arrivals_.Add(std::move(listener));
  }
  [[nodiscard]] Subscription SubscribeRemoval(DeviceListener listener) {
    return removals_.Add(std::move(listener));
  }

 private:
  struct Slot {
    std::shared_ptr<Device> device;
    Subscription unplug;
  };

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  ListenerList<std::shared_ptr<Device>> arrivals_;
  ListenerList<std::shared_ptr<Device>> removals_;
};

}  // namespace outside::usb
