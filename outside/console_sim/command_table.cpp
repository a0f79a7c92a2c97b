#include "outside/console_sim/command_table.h"

#include <map>

namespace outside::console_sim {

std::size_t ReplyPayloadLength(std::uint16_t request_code) {
  static const std::map<std::uint16_t, std::size_t> kLengths = {
      {0xD001, 2}, {0xD002, 2}, {0xD003, 2}, {0xD004, 2}, {0xD005, 2}, {0xD006, 1},   {0xD007, 0},
      {0xD008, 1}, {0xD009, 1}, {0xD00A, 1}, {0xD00B, 1}, {0xD00C, 1}, {0xD00D, 255}, {0xD00E, 1},
      {0xD00F, 1}, {0xD010, 4}, {0xD011, 4}, {0xD012, 4}, {0xD013, 0}, {0xD014, 0},   {0xD015, 0},
      {0xD016, 0}, {0xD017, 0}, {0xD018, 0}, {0xD019, 2}, {0xD01A, 0}, {0xD01C, 0},   {0xD0AA, 0},
      {0xD0AB, 0}, {0xD0AD, 0}, {0xD0AE, 0},
  };
  const auto found = kLengths.find(request_code);
  return found == kLengths.end() ? 0 : found->second;
}

}  // namespace outside::console_sim
