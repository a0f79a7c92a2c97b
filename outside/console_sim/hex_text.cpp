#include "outside/console_sim/hex_text.h"

#include <charconv>
#include <cstddef>
#include <sstream>

namespace outside::console_sim {

namespace {

constexpr int kHexBase = 16;
constexpr std::size_t kMaxCodeDigits = 4;
constexpr std::size_t kMaxByteDigits = 2;

// The value of `digits` read as hex; throws when they are empty, too many or not hex digits.
unsigned ParseHexNumber(std::string_view digits, std::size_t max_digits, std::string_view what) {
  unsigned value = 0;
  const char* const end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value, kHexBase);
  if (digits.empty() || digits.size() > max_digits || error != std::errc() || stop != end) {
    throw HexTextError("\"" + std::string(digits) + "\" is not " + std::string(what));
  }
  return value;
}

std::string FormatDigits(unsigned value, int width, bool upper) {
  const char* const digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, value /= kHexBase) {
    text[static_cast<std::size_t>(i)] = digits[value % kHexBase];
  }
  return text;
}

}  // namespace

std::uint16_t ParseCode(std::string_view text) {
  std::string_view digits = text;
  if (digits.starts_with("0x") || digits.starts_with("0X")) digits.remove_prefix(2);
  try {
    return static_cast<std::uint16_t>(ParseHexNumber(digits, kMaxCodeDigits, "a request code"));
  } catch (const HexTextError&) {
    throw HexTextError("\"" + std::string(text) + "\" is not a request code (write it as 0xD002)");
  }
}

std::string FormatCode(std::uint16_t code) { return "0x" + FormatDigits(code, 4, true); }

std::vector<std::uint8_t> ParseHexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream tokens{std::string(text)};
  std::string token;
  while (tokens >> token) {
    bytes.push_back(static_cast<std::uint8_t>(ParseHexNumber(token, kMaxByteDigits, "a hex byte")));
  }
  return bytes;
}

std::string FormatHexBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += FormatDigits(byte, 2, true);
  }
  return text;
}

std::string FormatLowerHex(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) text += FormatDigits(byte, 2, false);
  return text;
}

}  // namespace outside::console_sim
