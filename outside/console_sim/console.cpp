#include "outside/console_sim/console.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "outside/console_sim/command_table.h"
#include "outside/console_sim/frame.h"
#include "outside/console_sim/hex_text.h"

namespace outside::console_sim {

namespace {

constexpr std::uint8_t kBlockAcknowledge = 0x06;

// Answer to one block of a stream: the acknowledge byte and the block count so far,
// little-endian.
usb::Report BlockAcknowledgement(std::uint32_t blocks) {
  usb::Report report{};
  report[0] = kBlockAcknowledge;
  for (std::size_t i = 0; i < sizeof(blocks); ++i) {
    report[1 + i] = static_cast<std::uint8_t>(blocks >> (8 * i));
  }
  return report;
}

}  // namespace

Console::Console(const DeviceScenario& scenario, std::shared_ptr<RecordFile> record)
    : string2_(scenario.string2),
      refuse_open_(scenario.refuse_open),
      halcyra_(scenario.string2 == kConsoleIdentity),
      remove_after_(scenario.remove_after),
      record_(std::move(record)),
      replies_(scenario),
      hiding_(scenario.hide_after) {}

std::optional<std::string> Console::StringDescriptor(std::uint8_t index) const {
  if (index != kIdentityDescriptor) return std::nullopt;
  std::lock_guard lock(mutex_);
  if (!hiding_.TakeRead()) return string2_;
  RecordLocked("hidden");
  return std::string();
}

bool Console::Open() {
  std::lock_guard lock(mutex_);
  return !refuse_open_ && !removed_;
}

void Console::Close() {
  std::lock_guard lock(mutex_);
  FinishStreamLocked();
}

bool Console::SelectConfiguration(int configuration) {
  if (configuration != 0 && configuration != kConsoleConfiguration) return false;
  std::lock_guard lock(mutex_);
  configuration_ = configuration;
  return true;
}

int Console::Configuration() const {
  std::lock_guard lock(mutex_);
  return configuration_;
}

bool Console::HasEndpoint(usb::Endpoint address) const {
  return address == kCommandOut || address == kCommandIn || address == kFileOut ||
         address == kFileIn;
}

bool Console::Write(usb::Endpoint out, std::span<const std::uint8_t> data) {
  Notice notice;
  {
    std::lock_guard lock(mutex_);
    if (removed_ || configuration_ == 0) return false;
    if (out == kCommandOut) {
      TakeCommandLocked(data, notice);
    } else if (out == kFileOut) {
      TakeBlockLocked(data, notice);
    } else {
      return false;
    }
  }
  Deliver(notice);
  return true;
}

void Console::EndWrite(usb::Endpoint out) {
  if (out != kFileOut) return;
  std::lock_guard lock(mutex_);
  FinishStreamLocked();
}

std::optional<usb::Report> Console::Read(usb::Endpoint in) {
  std::lock_guard lock(mutex_);
  if (configuration_ == 0) return std::nullopt;
  const auto found = waiting_.find(in);
  if (found == waiting_.end() || found->second.empty() ||
      found->second.front().ready_at > platform::GetClock().Now()) {
    return std::nullopt;
  }
  const usb::Report report = found->second.front().report;
  found->second.pop_front();
  return report;
}

void Console::Reset() {
  std::lock_guard lock(mutex_);
  FinishStreamLocked();
  RecordLocked("reset");
  // A reset flushes the endpoints and leaves the device unconfigured.
  waiting_.clear();
  configuration_ = 0;
  hiding_.OnUsbReset();
}

void Console::OnRemovedFromBus() {
  std::lock_guard lock(mutex_);
  FinishStreamLocked();
  removed_ = true;
  RecordLocked("removed");
}

std::vector<std::string> Console::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void Console::TakeCommandLocked(std::span<const std::uint8_t> data, Notice& notice) {
  // A command after a stream means the program has stopped writing it.
  FinishStreamLocked();
  const std::optional<Request> request = ParseRequest(data);
  if (!request) {
    RecordLocked("bad-frame report=\"" + FormatHexBytes(data) + "\"");
    return;
  }
  RecordLocked("request " + FormatCode(request->code) + " payload=\"" +
               FormatHexBytes(request->payload) + "\"");
  if (!halcyra_) return;

  images_.NoteRequest(request->code);
  const std::optional<Reply> reply = replies_.Answer(request->code);
  if (!reply) return;
  QueueLocked(kCommandIn, reply->report, reply->delay_ms, notice);
  hiding_.OnAnswered(request->code);
  // Once off the bus it takes nothing more, so this happens for the first answer only.
  notice.unplug = remove_after_ == request->code;
}

void Console::TakeBlockLocked(std::span<const std::uint8_t> data, Notice& notice) {
  const std::uint32_t blocks = images_.TakeBlock(data);
  if (halcyra_) QueueLocked(kFileIn, BlockAcknowledgement(blocks), 0, notice);
}

void Console::QueueLocked(usb::Endpoint in, const usb::Report& report, platform::Millis delay_ms,
                          Notice& notice) {
  // An endpoint gives its reports in order: one queued behind a slower reply becomes ready,
  // and is announced, no earlier than that reply.
  std::deque<Waiting>& queue = waiting_[in];
  const platform::Millis now = platform::GetClock().Now();
  const platform::Millis ready_at =
      queue.empty() ? now + delay_ms : std::max(now + delay_ms, queue.back().ready_at);
  queue.push_back(Waiting{report, ready_at});
  notice.ready_on = in;
  notice.delay_ms = ready_at - now;
}

void Console::FinishStreamLocked() {
  const std::optional<ReceivedImage> image = images_.Finish();
  if (!image) return;
  RecordLocked("file bytes=" + std::to_string(image->bytes) + " sha256=" + image->sha256);
  replies_.ImageInstalled(image->kind);
}

void Console::RecordLocked(std::string line) const {
  if (record_) record_->Append(line);
  received_.push_back(std::move(line));
}

void Console::Deliver(const Notice& notice) const {
  if (notice.ready_on) NotifyReportReady(*notice.ready_on, notice.delay_ms);
  if (notice.unplug) Unplug();
}

}  // namespace outside::console_sim
