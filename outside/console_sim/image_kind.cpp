#include "outside/console_sim/image_kind.h"

#include <algorithm>

namespace outside::console_sim {

namespace {
constexpr std::uint16_t kInitCpldUpgrade = 0xD008;
constexpr std::uint16_t kInitDspFlashUpgrade = 0xD009;
constexpr std::uint16_t kInitDspCompositeUpgrade = 0xD005;
constexpr std::uint16_t kInitCvmUpgrade = 0xD00A;
constexpr std::uint16_t kSendCvmBootloader = 0xD014;
constexpr std::uint16_t kSendCvmHeader = 0xD01B;
}  // namespace

std::string_view ImageKindName(ImageKind kind) {
  switch (kind) {
    case ImageKind::kDsp:
      return "dsp";
    case ImageKind::kCvm:
      return "cvm";
    case ImageKind::kCpld:
      return "cpld";
    case ImageKind::kBootblock:
      return "bootblock";
  }
  return "";
}

std::optional<ImageKind> ImageKindFromName(std::string_view name) {
  const auto found = std::find_if(std::begin(kAllImageKinds), std::end(kAllImageKinds),
                                  [&](ImageKind kind) { return ImageKindName(kind) == name; });
  if (found == std::end(kAllImageKinds)) return std::nullopt;
  return *found;
}

std::vector<ImageKind> ImagesAnnouncedBy(std::uint16_t code) {
  switch (code) {
    case kInitCpldUpgrade:
      return {ImageKind::kCpld};
    case kInitDspFlashUpgrade:
      return {ImageKind::kDsp};
    case kInitDspCompositeUpgrade:
      // The composite upgrade takes the boot block first, then the DSP image.
      return {ImageKind::kBootblock, ImageKind::kDsp};
    case kInitCvmUpgrade:
    case kSendCvmBootloader:
    case kSendCvmHeader:
      return {ImageKind::kCvm};
    default:
      return {};
  }
}

}  // namespace outside::console_sim
