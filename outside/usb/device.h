#pragma once

// A device on the bus as its host drivers see it: string descriptors, one configuration,
// endpoints that carry 64-byte reports, and a reset. A device tells its listeners when a
// report becomes ready on an IN endpoint; the drivers turn that into their own events.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "outside/usb/report.h"
#include "outside/usb/subscription.h"
#include "platform/clock/clock.h"

namespace outside::usb {

class Device {
 public:
  // `delay_ms` of program time after the notice the report can be read; a driver that
  // raises an event for it should raise it that much later (e.g. platform::PostClosure).
  using ReportReadyListener = std::function<void(Endpoint in, platform::Millis delay_ms)>;

  Device() = default;
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  virtual ~Device() = default;

  // Text of string descriptor `index`; nothing when the device has no such descriptor.
  virtual std::optional<std::string> StringDescriptor(std::uint8_t index) const = 0;

  // False when the device refuses to be opened.
  virtual bool Open() = 0;
  virtual void Close() = 0;

  // 0 leaves the configured state; false for a configuration the device does not have.
  virtual bool SelectConfiguration(int configuration) = 0;
  virtual int Configuration() const = 0;

  virtual bool HasEndpoint(Endpoint address) const = 0;

  // Host to device on an OUT endpoint; false when the device does not take the data (no such
  // endpoint, or not configured).
  virtual bool Write(Endpoint out, std::span<const std::uint8_t> data) = 0;
  // The host has stopped writing to `out`, which ends a stream that was under way there.
  virtual void EndWrite(Endpoint out) = 0;
  // Takes the oldest report that is ready on `in`; nothing when none is.
  virtual std::optional<Report> Read(Endpoint in) = 0;

  // A USB reset: the device stays on the bus and has to be configured again.
  virtual void Reset() = 0;

  // Called by the bus after it has taken the device off.
  virtual void OnRemovedFromBus() {}

  [[nodiscard]] Subscription SubscribeReportReady(ReportReadyListener listener) {
    return report_ready_.Add(std::move(listener));
  }
  // The bus listens here for a device that takes itself off (unplugged).
  [[nodiscard]] Subscription SubscribeUnplug(std::function<void()> listener) {
    return unplug_.Add(std::move(listener));
  }

 protected:
  // Must be called without holding the device's own lock: listeners may call back.
  void NotifyReportReady(Endpoint in, platform::Millis delay_ms) const {
    report_ready_.Notify(in, delay_ms);
  }
  void Unplug() const { unplug_.Notify(); }

 private:
  ListenerList<Endpoint, platform::Millis> report_ready_;
  ListenerList<> unplug_;
};

}  // namespace outside::usb
