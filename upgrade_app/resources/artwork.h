#pragma once

// The program's pictures: the window icon and the console picture of the wizard window. They
// are drawn in code at first use, so no binary file travels with the sources.

#include <cstdint>
#include <vector>

#include "platform/win_types.h"

struct ResourceImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // row by row from the top, 0xAARRGGBB

  std::uint32_t PixelAt(int x, int y) const {
    return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};

// The image of icon or bitmap resource `id`, or null when there is none.
const ResourceImage* FindResourceImage(platform::UINT id);

// Registers the pictures with the platform's image registry, where views look them up.
void RegisterResourceImages();
