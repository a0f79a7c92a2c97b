#include "outside/usb/string_descriptor.h"

#include <algorithm>
#include <cstddef>

namespace outside::usb {

namespace {
constexpr std::size_t kHeaderSize = 2;
constexpr std::size_t kMaxDescriptorSize = 254;  // largest even length a length byte can hold
constexpr std::size_t kMaxCharacters = (kMaxDescriptorSize - kHeaderSize) / 2;
}  // namespace

std::vector<std::uint8_t> EncodeStringDescriptor(std::string_view text) {
  const std::size_t characters = std::min(text.size(), kMaxCharacters);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kHeaderSize + 2 * characters);
  bytes.push_back(static_cast<std::uint8_t>(kHeaderSize + 2 * characters));
  bytes.push_back(kStringDescriptorType);
  for (std::size_t i = 0; i < characters; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(text[i]));
    bytes.push_back(0);  // Latin-1 characters have a zero high byte
  }
  return bytes;
}

}  // namespace outside::usb
