#include "outside/console_sim/reply_book.h"

#include "outside/console_sim/command_table.h"
#include "outside/console_sim/default_replies.h"
#include "outside/console_sim/frame.h"

namespace outside::console_sim {

namespace {

void Overlay(ReplyTable& base, const ReplyTable& top) {
  for (const auto& [code, payload] : top) base[code] = payload;
}

}  // namespace

ReplyBook::ReplyBook(const DeviceScenario& scenario) : faults_(scenario.faults) {
  if (scenario.default_replies) {
    replies_ = DefaultReplies();
    after_image_ = DefaultAfterImage();
  }
  Overlay(replies_, scenario.replies);
  for (const auto& [kind, replies] : scenario.after_image) Overlay(after_image_[kind], replies);
}

std::optional<Reply> ReplyBook::Answer(std::uint16_t request_code) {
  const auto reply_code = static_cast<std::uint16_t>(request_code + kReplyCodeOffset);
  const std::optional<Fault> fault = TakeFault(request_code);
  if (!fault) return Reply{FrameReport(reply_code, PayloadFor(request_code))};
  switch (fault->kind) {
    case FaultKind::kNoReply:
      return std::nullopt;
    case FaultKind::kWrongCode:
      return Reply{FrameReport(request_code, PayloadFor(request_code))};
    case FaultKind::kBadLength:
      return Reply{FrameReport(reply_code, {})};
    case FaultKind::kDelay:
      return Reply{FrameReport(reply_code, PayloadFor(request_code)), fault->delay_ms};
  }
  return std::nullopt;
}

void ReplyBook::ImageInstalled(ImageKind kind) {
  const auto found = after_image_.find(kind);
  if (found != after_image_.end()) Overlay(replies_, found->second);
}

Payload ReplyBook::PayloadFor(std::uint16_t request_code) const {
  const auto found = replies_.find(request_code);
  if (found != replies_.end()) return found->second;
  return Payload(ReplyPayloadLength(request_code), 0);
}

std::optional<Fault> ReplyBook::TakeFault(std::uint16_t request_code) {
  for (Fault& fault : faults_) {
    if (fault.command == request_code && fault.times > 0) {
      --fault.times;
      return fault;
    }
  }
  return std::nullopt;
}

}  // namespace outside::console_sim
