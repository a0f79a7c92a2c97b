#include "upgrade_app/images/crc32.h"

#include <array>

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320U;
constexpr std::uint32_t kAllOnes = 0xFFFFFFFFU;

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t index = 0; index < table.size(); ++index) {
    std::uint32_t value = index;
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 1U) != 0 ? (value >> 1U) ^ kPolynomial : value >> 1U;
    }
    table[index] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = kAllOnes;
  for (std::size_t index = 0; index < length; ++index) {
    crc = kTable[(crc ^ data[index]) & 0xFFU] ^ (crc >> 8U);
  }
  return crc ^ kAllOnes;
}
