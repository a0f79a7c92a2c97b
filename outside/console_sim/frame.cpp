#include "outside/console_sim/frame.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace outside::console_sim {

namespace {

constexpr std::uint8_t kStartByte = 0x10;
constexpr std::uint8_t kFixedBytes[] = {0x18, 0x0F, 0x02};
constexpr std::size_t kLengthOffset = 1;
constexpr std::size_t kFixedOffset = 3;
constexpr std::size_t kCodeOffset = 6;
constexpr std::size_t kPayloadOffset = 8;
constexpr std::size_t kHeaderOverhead = 5;  // fixed bytes and code, counted in L
constexpr std::size_t kFrameOverhead = 4;   // start byte, length and checksum, not counted in L
constexpr std::size_t kSmallestFrame = kPayloadOffset + 1;

std::uint8_t SumOf(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0U));
}

}  // namespace

std::optional<Request> ParseRequest(std::span<const std::uint8_t> report) {
  if (report.size() < kSmallestFrame || report[0] != kStartByte ||
      !std::equal(std::begin(kFixedBytes), std::end(kFixedBytes), report.begin() + kFixedOffset)) {
    return std::nullopt;
  }
  const std::size_t length =
      static_cast<std::size_t>(report[kLengthOffset]) << 8 | report[kLengthOffset + 1];
  if (length < kHeaderOverhead) return std::nullopt;

  const std::size_t frame_size = length + kFrameOverhead;
  const std::size_t checksum_at = frame_size - 1;
  const bool whole = frame_size <= report.size();
  if (whole &&
      SumOf(report.subspan(kFixedOffset, checksum_at - kFixedOffset)) != report[checksum_at]) {
    return std::nullopt;
  }
  const std::size_t payload_end = whole ? checksum_at : report.size();
  Request request;
  request.code = static_cast<std::uint16_t>(report[kCodeOffset] | report[kCodeOffset + 1] << 8);
  request.payload.assign(report.begin() + kPayloadOffset, report.begin() + payload_end);
  return request;
}

std::vector<std::uint8_t> BuildFrame(std::uint16_t code, std::span<const std::uint8_t> payload) {
  const std::size_t length = payload.size() + kHeaderOverhead;
  std::vector<std::uint8_t> frame(length + kFrameOverhead, 0);
  frame[0] = kStartByte;
  frame[kLengthOffset] = static_cast<std::uint8_t>(length >> 8);
  frame[kLengthOffset + 1] = static_cast<std::uint8_t>(length);
  std::copy(std::begin(kFixedBytes), std::end(kFixedBytes), frame.begin() + kFixedOffset);
  frame[kCodeOffset] = static_cast<std::uint8_t>(code);
  frame[kCodeOffset + 1] = static_cast<std::uint8_t>(code >> 8);
  std::copy(payload.begin(), payload.end(), frame.begin() + kPayloadOffset);
  frame.back() = SumOf(std::span(frame).subspan(kFixedOffset, frame.size() - 1 - kFixedOffset));
  return frame;
}

usb::Report FrameReport(std::uint16_t code, std::span<const std::uint8_t> payload) {
  const std::vector<std::uint8_t> frame = BuildFrame(code, payload);
  usb::Report report{};
  std::copy_n(frame.begin(), std::min(frame.size(), report.size()), report.begin());
  return report;
}

}  // namespace outside::console_sim
