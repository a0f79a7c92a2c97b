#pragma once

// What the console knows of the command table: its identity, its endpoints, and how long the
// payload of each reply is.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "outside/usb/report.h"

namespace outside::console_sim {

inline constexpr std::string_view kConsoleIdentity = "TMX320VC5509";
inline constexpr std::uint8_t kIdentityDescriptor = 2;
inline constexpr int kConsoleConfiguration = 1;

inline constexpr usb::Endpoint kCommandOut = 0x03;
inline constexpr usb::Endpoint kCommandIn = 0x83;
inline constexpr usb::Endpoint kFileOut = 0x02;
inline constexpr usb::Endpoint kFileIn = 0x82;

inline constexpr std::uint16_t kReplyCodeOffset = 0x100;

// Reply payload length of a request code; 0 for a code whose reply has no length in the table.
std::size_t ReplyPayloadLength(std::uint16_t request_code);

}  // namespace outside::console_sim
