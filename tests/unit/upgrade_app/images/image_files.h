#pragma once

// Helpers of the image tests: Intel HEX records, whole files, and a current directory of the
// test's own (the download file's temporary copy lives there).

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "apps/make_sample_root/sample_root.h"

namespace images_test {

// One record with a correct checksum, without a line end.
inline std::string HexRecord(std::uint16_t address, std::uint8_t type,
                             const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                     static_cast<std::uint8_t>(address >> 8U),
                                     static_cast<std::uint8_t>(address), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (const std::uint8_t byte : bytes) sum += byte;
  bytes.push_back(static_cast<std::uint8_t>(0x100U - (sum & 0xFFU)));
  std::string record = ":";
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (const std::uint8_t byte : bytes) {
    record += kDigits[byte >> 4U];
    record += kDigits[byte & 0xFU];
  }
  return record;
}

inline std::string DataRecord(std::uint16_t address, const std::vector<std::uint8_t>& data) {
  return HexRecord(address, 0x00, data);
}
inline std::string EndRecord() { return HexRecord(0, 0x01, {}); }
inline std::string LinearAddress(std::uint16_t upper) {
  return HexRecord(0, 0x04,
                   {static_cast<std::uint8_t>(upper >> 8U), static_cast<std::uint8_t>(upper)});
}
inline std::string SegmentAddress(std::uint16_t segment) {
  return HexRecord(0, 0x02,
                   {static_cast<std::uint8_t>(segment >> 8U), static_cast<std::uint8_t>(segment)});
}

// `count` bytes counting up from `first`.
inline std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t index = 0; index < count; ++index) {
    bytes[index] = static_cast<std::uint8_t>(first + index);
  }
  return bytes;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
  }
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
  ~ScopedCurrentDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

}  // namespace images_test
