#pragma once

// The simulated Halcyra console as a USB device: it answers each command report with one reply
// report, acknowledges each block of a file stream, records everything it receives, and plays
// the faults of its scenario. A device whose string descriptor 2 is not the console's identity
// is a foreign device: it takes data like the console and records it, but answers nothing.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "outside/console_sim/descriptor_hiding.h"
#include "outside/console_sim/image_receiver.h"
#include "outside/console_sim/record_file.h"
#include "outside/console_sim/reply_book.h"
#include "outside/console_sim/scenario.h"
#include "outside/usb/device.h"

namespace outside::console_sim {

class Console final : public usb::Device {
 public:
  // `record`, when given, receives the same lines as Received().
  explicit Console(const DeviceScenario& scenario, std::shared_ptr<RecordFile> record = nullptr);

  // A read of descriptor 2 counts toward the hide rules; a hidden one answers an empty text and
  // is recorded.
  std::optional<std::string> StringDescriptor(std::uint8_t index) const override;
  bool Open() override;
  // Ends a file stream under way.
  void Close() override;
  bool SelectConfiguration(int configuration) override;
  int Configuration() const override;
  bool HasEndpoint(usb::Endpoint address) const override;
  bool Write(usb::Endpoint out, std::span<const std::uint8_t> data) override;
  void EndWrite(usb::Endpoint out) override;
  std::optional<usb::Report> Read(usb::Endpoint in) override;
  void Reset() override;
  // Replies already given can still be read; nothing more is taken.
  void OnRemovedFromBus() override;

  bool IsHalcyra() const { return halcyra_; }
  // What it received, one record line each, in order.
  std::vector<std::string> Received() const;

 private:
  struct Waiting {
    usb::Report report;
    platform::Millis ready_at;
  };
  // What listeners are told once the lock is released.
  struct Notice {
    std::optional<usb::Endpoint> ready_on;
    platform::Millis delay_ms = 0;
    bool unplug = false;
  };

  void TakeCommandLocked(std::span<const std::uint8_t> data, Notice& notice);
  void TakeBlockLocked(std::span<const std::uint8_t> data, Notice& notice);
  void QueueLocked(usb::Endpoint in, const usb::Report& report, platform::Millis delay_ms,
                   Notice& notice);
  void FinishStreamLocked();
  // Also from StringDescriptor: a descriptor read changes what the device records.
  void RecordLocked(std::string line) const;
  void Deliver(const Notice& notice) const;

  const std::string string2_;
  const bool refuse_open_;
  const bool halcyra_;
  const std::optional<std::uint16_t> remove_after_;
  const std::shared_ptr<RecordFile> record_;

  mutable std::mutex mutex_;
  int configuration_ = 0;
  bool removed_ = false;
  ReplyBook replies_;
  ImageReceiver images_;
  std::map<usb::Endpoint, std::deque<Waiting>> waiting_;
  // Descriptor reads are const to the host but count toward the hide rules.
  mutable DescriptorHiding hiding_;
  mutable std::vector<std::string> received_;
};

}  // namespace outside::console_sim
