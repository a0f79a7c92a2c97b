#pragma once

// Pictures among the program's resources (icons, bitmaps), known by number. The program
// registers them at start-up as plain pixels; views look them up to draw picture controls and
// window icons.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win_types.h"

namespace platform {

struct ImageResource {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // row by row from the top, 0xAARRGGBB
};

// Registers (or replaces) the picture under its number. Any thread.
void RegisterImageResource(UINT id, ImageResource image);
// The picture, or null when the number is unknown.
std::shared_ptr<const ImageResource> FindImageResource(UINT id);

}  // namespace platform
