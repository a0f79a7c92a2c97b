#pragma once

// The wire form of a USB string descriptor: a length byte, the type byte 3, then the text as
// UTF-16LE code units.

#include <cstdint>
#include <string_view>
#include <vector>

namespace outside::usb {

inline constexpr std::uint8_t kStringDescriptorType = 3;

// Bytes of the descriptor for `text`, whose characters are taken as Latin-1. A text too long for
// the one-byte length is cut at 126 characters.
std::vector<std::uint8_t> EncodeStringDescriptor(std::string_view text);

}  // namespace outside::usb
