#pragma once

// The unit of every transfer on the bus: one fixed-size report.

#include <array>
#include <cstddef>
#include <cstdint>

namespace outside::usb {

inline constexpr std::size_t kReportSize = 64;
using Report = std::array<std::uint8_t, kReportSize>;

// An endpoint address; bit 7 set means device to host (IN).
using Endpoint = std::uint8_t;

inline constexpr bool IsInEndpoint(Endpoint address) { return (address & 0x80U) != 0; }

}  // namespace outside::usb
