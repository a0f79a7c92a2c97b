#pragma once

// Hex texts of the scenario file and the record: request codes ("0xD002") and byte lists
// ("09 12").

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace outside::console_sim {

class HexTextError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// "0xD002" (the 0x may be left out); throws HexTextError for anything else.
std::uint16_t ParseCode(std::string_view text);
// "0xD002": 0x, then four upper-case digits.
std::string FormatCode(std::uint16_t code);

// Bytes of one or two hex digits each, separated by blanks; "" is no byte.
std::vector<std::uint8_t> ParseHexBytes(std::string_view text);
// Two upper-case digits a byte, separated by one blank.
std::string FormatHexBytes(std::span<const std::uint8_t> bytes);
// Two lower-case digits a byte, without separators.
std::string FormatLowerHex(std::span<const std::uint8_t> bytes);

}  // namespace outside::console_sim
