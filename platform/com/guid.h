#pragma once

// Class and interface identifiers, read from and written as the registry's text form
// "{B949A098-6A08-4EEE-B32D-CA0D19BBF24E}".

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::array<std::uint8_t, 8> Data4{};

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;

inline constexpr GUID GUID_NULL{};

namespace guid_detail {

inline constexpr std::size_t kTextLength = 38;  // braces, 32 hex digits, four dashes
inline constexpr std::array<std::size_t, 4> kDashPositions = {9, 14, 19, 24};

constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// Reads `digits` hex digits from `text` at `position`, stepping over the dashes.
constexpr std::optional<std::uint64_t> ReadHex(std::string_view text, std::size_t& position,
                                               int digits) {
  std::uint64_t value = 0;
  for (int i = 0; i < digits; ++i) {
    if (text[position] == '-') {
      ++position;
    }
    const int digit = HexValue(text[position++]);
    if (digit < 0) {
      return std::nullopt;
    }
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

constexpr bool HasRegistryShape(std::string_view text) {
  if (text.size() != kTextLength || text.front() != '{' || text.back() != '}') {
    return false;
  }
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    const bool dash_expected = i == kDashPositions[0] || i == kDashPositions[1] ||
                               i == kDashPositions[2] || i == kDashPositions[3];
    if ((text[i] == '-') != dash_expected) {
      return false;
    }
  }
  return true;
}

}  // namespace guid_detail

// Accepts upper- and lower-case digits; nullopt for anything but the braced registry form.
constexpr std::optional<GUID> ParseGuid(std::string_view text) {
  using guid_detail::ReadHex;
  if (!guid_detail::HasRegistryShape(text)) {
    return std::nullopt;
  }
  std::size_t position = 1;
  const auto data1 = ReadHex(text, position, 8);
  const auto data2 = ReadHex(text, position, 4);
  const auto data3 = ReadHex(text, position, 4);
  if (!data1 || !data2 || !data3) {
    return std::nullopt;
  }
  GUID guid;
  guid.Data1 = static_cast<std::uint32_t>(*data1);
  guid.Data2 = static_cast<std::uint16_t>(*data2);
  guid.Data3 = static_cast<std::uint16_t>(*data3);
  for (std::uint8_t& byte : guid.Data4) {
    const auto value = ReadHex(text, position, 2);
    if (!value) {
      return std::nullopt;
    }
    byte = static_cast<std::uint8_t>(*value);
  }
  return guid;
}

// For identifiers written in the source: a malformed text does not compile.
consteval GUID GuidLiteral(std::string_view text) { return ParseGuid(text).value(); }

// Upper-case registry form, the key of the class registry.
std::string GuidToString(const GUID& guid);

}  // namespace platform
