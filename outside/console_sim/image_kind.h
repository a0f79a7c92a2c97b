#pragma once

// The firmware images a console takes as file streams, and the commands that announce them.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace outside::console_sim {

enum class ImageKind { kDsp, kCvm, kCpld, kBootblock };

inline constexpr ImageKind kAllImageKinds[] = {ImageKind::kDsp, ImageKind::kCvm, ImageKind::kCpld,
                                               ImageKind::kBootblock};

// "dsp", "cvm", "cpld", "bootblock": the names of the scenario file.
std::string_view ImageKindName(ImageKind kind);
std::optional<ImageKind> ImageKindFromName(std::string_view name);

// The streams that follow the request `code`, in order; empty when it announces none.
std::vector<ImageKind> ImagesAnnouncedBy(std::uint16_t code);

// A stream that no command announced: the image of a recovery download.
inline constexpr ImageKind kUnannouncedImage = ImageKind::kDsp;

}  // namespace outside::console_sim
