#pragma once

// How a console answers a request: the faults still to be played, else the reply table as the
// images received so far have left it, else zeros of the reply length.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "outside/console_sim/image_kind.h"
#include "outside/console_sim/scenario.h"
#include "outside/usb/report.h"
#include "platform/clock/clock.h"

namespace outside::console_sim {

struct Reply {
  usb::Report report{};
  platform::Millis delay_ms = 0;  // the reply is ready this long after the request
};

class ReplyBook {
 public:
  explicit ReplyBook(const DeviceScenario& scenario);

  // The reply to one request, using up a fault that applies; nothing when it goes unanswered.
  std::optional<Reply> Answer(std::uint16_t request_code);
  // From now on the replies that come with this image apply.
  void ImageInstalled(ImageKind kind);

 private:
  Payload PayloadFor(std::uint16_t request_code) const;
  std::optional<Fault> TakeFault(std::uint16_t request_code);

  ReplyTable replies_;
  std::map<ImageKind, ReplyTable> after_image_;
  std::vector<Fault> faults_;
};

}  // namespace outside::console_sim
