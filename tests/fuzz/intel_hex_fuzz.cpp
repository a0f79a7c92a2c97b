// The Intel HEX reader of the radio-module image: a sizing pass over any text, and for an image
// it accepts, the writing pass, which must then succeed and stay inside the image.

#include <algorithm>
#include <vector>

#include "tests/fuzz/fuzz_input.h"
#include "upgrade_app/images/intel_hex.h"

namespace {

// Larger images are only measured, so that each run stays short.
constexpr std::uint64_t kLargestWrittenImage = std::uint64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  std::uint64_t lowest = 0;
  std::uint64_t highest = 0;
  if (ScanIntelHex(text, 0, 0, {}, lowest, highest) != kHexOk) return 0;
  if (highest <= lowest || highest - lowest > kMaxHexImageSize) fuzz::Broken("image bounds");
  if (highest - lowest > kLargestWrittenImage) return 0;

  const auto image_size = static_cast<std::uint32_t>(highest - lowest) + kHexImageTail;
  std::vector<platform::BYTE> image(image_size);
  const HexDataWriter write = [&image](std::uint32_t offset,
                                       std::span<const platform::BYTE> bytes) {
    if (std::uint64_t{offset} + bytes.size() > image.size()) fuzz::Broken("write past image");
    std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
  };
  if (ScanIntelHex(text, image_size, static_cast<std::uint32_t>(lowest), write, lowest, highest) !=
      kHexOk) {
    fuzz::Broken("writing pass refused what the sizing pass accepted");
  }
  return 0;
}
