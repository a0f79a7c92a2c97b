#pragma once

// Plays the host's side against a console: configure, send a command report, take replies,
// stream blocks; and reads reply reports back into code and payload.

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "outside/console_sim/command_table.h"
#include "outside/console_sim/console.h"
#include "outside/console_sim/frame.h"
#include "outside/usb/report.h"

namespace console_sim_test {

namespace sim = outside::console_sim;
namespace usb = outside::usb;

struct DecodedReply {
  std::uint16_t code = 0;
  std::vector<std::uint8_t> payload;
};

inline DecodedReply Decode(const usb::Report& report) {
  const std::size_t length = static_cast<std::size_t>(report[1]) << 8 | report[2];
  DecodedReply reply;
  reply.code = static_cast<std::uint16_t>(report[6] | report[7] << 8);
  reply.payload.assign(report.begin() + 8, report.begin() + 8 + (length - 5));
  return reply;
}

inline void Configure(usb::Device& device) {
  device.SelectConfiguration(sim::kConsoleConfiguration);
}

inline bool SendCommand(usb::Device& device, std::uint16_t code,
                        std::vector<std::uint8_t> payload = {}) {
  const usb::Report report = sim::FrameReport(code, payload);
  return device.Write(sim::kCommandOut, report);
}

inline std::optional<DecodedReply> TakeReply(usb::Device& device) {
  const std::optional<usb::Report> report = device.Read(sim::kCommandIn);
  if (!report) return std::nullopt;
  return Decode(*report);
}

// Sends and takes the reply at once: the payload, or nothing when no reply waits.
inline std::optional<std::vector<std::uint8_t>> Ask(usb::Device& device, std::uint16_t code) {
  SendCommand(device, code);
  const std::optional<DecodedReply> reply = TakeReply(device);
  if (!reply) return std::nullopt;
  return reply->payload;
}

// Streams `blocks` 64-byte blocks filled with `fill` and ends the stream as the download does.
inline void StreamImage(usb::Device& device, int blocks, std::uint8_t fill) {
  usb::Report block{};
  block.fill(fill);
  for (int i = 0; i < blocks; ++i) {
    device.Write(sim::kFileOut, block);
    device.Read(sim::kFileIn);
  }
  device.EndWrite(sim::kFileOut);
}

// Counts the report-ready notices of a device, by endpoint and delay.
class NoticeCounter {
 public:
  explicit NoticeCounter(usb::Device& device)
      : subscription_(device.SubscribeReportReady(
            [this](usb::Endpoint in, std::int64_t delay) { notices.emplace_back(in, delay); })) {}

  std::vector<std::pair<usb::Endpoint, std::int64_t>> notices;

 private:
  usb::Subscription subscription_;
};

}  // namespace console_sim_test
