#pragma once

// The console's side of a bus-mail frame: 0x10, length L (big-endian), 0x18 0x0F 0x02, code
// (little-endian), payload, and the 8-bit sum of everything from the fixed bytes on.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "outside/usb/report.h"

namespace outside::console_sim {

struct Request {
  std::uint16_t code = 0;
  std::vector<std::uint8_t> payload;
};

// The request a report carries; nothing when it is no well-formed frame. A frame that reaches
// past the report is taken as far as the report goes, without its checksum.
std::optional<Request> ParseRequest(std::span<const std::uint8_t> report);

std::vector<std::uint8_t> BuildFrame(std::uint16_t code, std::span<const std::uint8_t> payload);

// The frame at the start of a report, zero-filled, cut when it is longer than a report.
usb::Report FrameReport(std::uint16_t code, std::span<const std::uint8_t> payload);

}  // namespace outside::console_sim
