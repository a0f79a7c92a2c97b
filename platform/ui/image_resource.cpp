#include "platform/ui/image_resource.h"

#include <map>
#include <mutex>

namespace platform {

namespace {

struct ImageRegistry {
  std::mutex mutex;
  std::map<UINT, std::shared_ptr<const ImageResource>> images;
};

ImageRegistry& Registry() {
  static ImageRegistry registry;
  return registry;
}

}  // namespace

void RegisterImageResource(UINT id, ImageResource image) {
  ImageRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  registry.images.insert_or_assign(id, std::make_shared<const ImageResource>(std::move(image)));
}

std::shared_ptr<const ImageResource> FindImageResource(UINT id) {
  ImageRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const auto found = registry.images.find(id);
  return found == registry.images.end() ? nullptr : found->second;
}

}  // namespace platform
