#pragma once

// What a simulated bus holds: its devices in enumeration order, how each answers, and where
// the consoles record what they received. Built in code or read from a scenario file.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "outside/console_sim/command_table.h"
#include "outside/console_sim/image_kind.h"
#include "platform/clock/clock.h"

namespace outside::console_sim {

using Payload = std::vector<std::uint8_t>;
// Request code -> reply payload.
using ReplyTable = std::map<std::uint16_t, Payload>;

enum class FaultKind {
  kNoReply,    // the request is not answered
  kWrongCode,  // answered with the request code itself instead of code + 0x100
  kBadLength,  // answered with the right code but no payload at all
  kDelay,      // answered, but the reply is ready only `delay_ms` later
};

struct Fault {
  std::uint16_t command = 0;
  FaultKind kind = FaultKind::kNoReply;
  int times = 1;  // the next `times` requests of `command` are answered so
  platform::Millis delay_ms = 0;
};

// After each trigger (a USB reset of the device, or each answer to `after_command`), the next
// `skip` reads of string descriptor 2 answer as usual and the `times` reads after them answer an
// empty descriptor.
struct HideRule {
  std::optional<std::uint16_t> after_command;  // none: after a USB reset
  int skip = 0;
  int times = 1;
};

struct DeviceScenario {
  std::string string2 = std::string(kConsoleIdentity);
  bool refuse_open = false;
  // The built-in replies lie under `replies` and `after_image`; without them a code that
  // `replies` does not name is answered with zeros of its reply length.
  bool default_replies = true;
  ReplyTable replies;
  std::map<ImageKind, ReplyTable> after_image;
  std::vector<Fault> faults;
  std::optional<std::uint16_t> remove_after;
  std::vector<HideRule> hide_after;
};

struct Scenario {
  std::vector<DeviceScenario> devices{DeviceScenario{}};
  std::optional<std::filesystem::path> record;
};

}  // namespace outside::console_sim
