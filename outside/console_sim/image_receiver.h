#pragma once

// Takes the blocks of file streams and tells which image each stream was. A stream begins with
// its first block and ends when the host stops writing it; its image is the next one that the
// last announcing request named (DSP when none was announced, as in a recovery download).

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>

#include "outside/console_sim/image_kind.h"
#include "outside/console_sim/sha256.h"

namespace outside::console_sim {

struct ReceivedImage {
  ImageKind kind = ImageKind::kDsp;
  std::uint64_t bytes = 0;
  std::string sha256;  // lower-case hex of exactly the bytes received
};

class ImageReceiver {
 public:
  // A request that announces images replaces those still awaited.
  void NoteRequest(std::uint16_t code);
  // Returns how many blocks the stream has had, this one included.
  std::uint32_t TakeBlock(std::span<const std::uint8_t> block);
  // Ends the stream under way; nothing when there is none.
  std::optional<ReceivedImage> Finish();

 private:
  struct Stream {
    ImageKind kind;
    Sha256 hash;
    std::uint64_t bytes = 0;
    std::uint32_t blocks = 0;
  };

  std::deque<ImageKind> announced_;
  std::optional<Stream> stream_;
};

}  // namespace outside::console_sim
