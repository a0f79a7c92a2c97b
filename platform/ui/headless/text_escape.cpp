#include "platform/ui/headless/text_escape.h"

#include <array>
#include <cctype>

namespace platform {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr int kHexBase = 16;
constexpr std::size_t kHexDigits = 2;

std::optional<char> SimpleEscape(char letter) {
  switch (letter) {
    case 'r':
      return '\r';
    case 'n':
      return '\n';
    case 't':
      return '\t';
    case '"':
      return '"';
    case '\\':
      return '\\';
    default:
      return std::nullopt;
  }
}

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') {
    return digit - '0';
  }
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(digit)));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

std::string QuoteText(std::string_view text) {
  static constexpr std::array<char, kHexBase> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                      '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  std::string quoted = "\"";
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    switch (character) {
      case '\r':
        quoted += "\\r";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      default:
        if (byte < kFirstPrintable || byte == kDelete) {
          quoted += "\\x";
          quoted += kHex[byte / kHexBase];
          quoted += kHex[byte % kHexBase];
        } else {
          quoted += character;
        }
    }
  }
  quoted += '"';
  return quoted;
}

std::optional<std::string> UnescapeText(std::string_view body, std::string& error) {
  std::string text;
  for (std::size_t index = 0; index < body.size(); ++index) {
    if (body[index] != '\\') {
      text += body[index];
      continue;
    }
    if (++index == body.size()) {
      error = "a text ends with a lone backslash";
      return std::nullopt;
    }
    if (const auto simple = SimpleEscape(body[index])) {
      text += *simple;
      continue;
    }
    if (body[index] == 'x' && index + kHexDigits < body.size() && HexValue(body[index + 1]) >= 0 &&
        HexValue(body[index + 2]) >= 0) {
      text += static_cast<char>(HexValue(body[index + 1]) * kHexBase + HexValue(body[index + 2]));
      index += kHexDigits;
      continue;
    }
    error = std::string("unknown escape \\") + body[index];
    return std::nullopt;
  }
  return text;
}

}  // namespace platform
