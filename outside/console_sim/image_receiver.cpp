#include "outside/console_sim/image_receiver.h"

#include <utility>
#include <vector>

namespace outside::console_sim {

void ImageReceiver::NoteRequest(std::uint16_t code) {
  const std::vector<ImageKind> images = ImagesAnnouncedBy(code);
  if (!images.empty()) announced_.assign(images.begin(), images.end());
}

std::uint32_t ImageReceiver::TakeBlock(std::span<const std::uint8_t> block) {
  if (!stream_) {
    ImageKind kind = kUnannouncedImage;
    if (!announced_.empty()) {
      kind = announced_.front();
      announced_.pop_front();
    }
    stream_.emplace(Stream{kind, Sha256()});
  }
  stream_->hash.Update(block);
  stream_->bytes += block.size();
  return ++stream_->blocks;
}

std::optional<ReceivedImage> ImageReceiver::Finish() {
  if (!stream_) return std::nullopt;
  ReceivedImage image{stream_->kind, stream_->bytes, stream_->hash.Finish()};
  stream_.reset();
  return image;
}

}  // namespace outside::console_sim
