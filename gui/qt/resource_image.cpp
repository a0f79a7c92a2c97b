#include "gui/qt/resource_image.h"

#include <cstring>

#include "platform/ui/image_resource.h"

namespace gui {

QImage ResourceImage(platform::UINT id) {
  const auto resource = platform::FindImageResource(id);
  if (!resource || resource->width <= 0 || resource->height <= 0 ||
      resource->argb.size() !=
          static_cast<std::size_t>(resource->width) * static_cast<std::size_t>(resource->height)) {
    return {};
  }
  QImage image(resource->width, resource->height, QImage::Format_ARGB32);
  const auto row_bytes = static_cast<std::size_t>(resource->width) * sizeof(std::uint32_t);
  for (int row = 0; row < resource->height; ++row) {
    std::memcpy(image.scanLine(row),
                resource->argb.data() +
                    static_cast<std::size_t>(row) * static_cast<std::size_t>(resource->width),
                row_bytes);
  }
  return image;
}

}  // namespace gui
