#pragma once

// What the simulated console's record says of what it received, computed from the files and
// bytes the tests know, independently of the program.

#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly_e2e {

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline std::string Sha256Hex(const std::vector<std::uint8_t>& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 failed");
  }
  std::string hex;
  for (unsigned int index = 0; index < length; ++index) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[index]);
    hex += pair;
  }
  return hex;
}

// The console's record line for a complete stream of exactly these bytes.
inline std::string FileRecordLine(const std::vector<std::uint8_t>& bytes) {
  return "file bytes=" + std::to_string(bytes.size()) + " sha256=" + Sha256Hex(bytes);
}

// Bytes as the record writes a request's payload: upper-case hex pairs, one blank between.
inline std::string HexPairs(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += pair;
  }
  return text;
}

// A file as the console receives it: in 64-byte blocks, the last one filled up with zeros.
inline std::vector<std::uint8_t> StreamOfFile(const std::filesystem::path& path) {
  constexpr std::size_t kBlock = 64;
  std::vector<std::uint8_t> bytes = ReadBytes(path);
  bytes.resize((bytes.size() + kBlock - 1) / kBlock * kBlock, 0);
  return bytes;
}

// ---- The radio-module image ------------------------------------------------------------------

inline constexpr std::uint8_t kRadioModuleFill = 0xFF;

// CRC-32 of IEEE 802.3, bit by bit.
inline std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320U & (0U - (crc & 1U)));
  }
  return ~crc;
}

// The header's checksum covers an even number of bytes: an odd image takes one fill byte more.
inline std::uint32_t RadioModuleChecksum(std::vector<std::uint8_t> image) {
  if (image.size() % 2 != 0) image.push_back(kRadioModuleFill);
  return Crc32(image);
}

// The payload of the 0xD01B request that announces an image loaded at `start`: length, start and
// checksum (little-endian), filled up with 0xFF to 32 bytes.
inline std::vector<std::uint8_t> RadioModuleHeader(const std::vector<std::uint8_t>& image,
                                                   std::uint32_t start) {
  constexpr std::size_t kHeaderSize = 32;
  std::vector<std::uint8_t> header;
  for (const std::uint32_t field :
       {static_cast<std::uint32_t>(image.size()), start, RadioModuleChecksum(image)}) {
    for (int shift = 0; shift < 32; shift += 8) {
      header.push_back(static_cast<std::uint8_t>(field >> shift));
    }
  }
  header.resize(kHeaderSize, kRadioModuleFill);
  return header;
}

// The download of an image: in whole blocks of 256 bytes, then one block more, padded with 0xFF.
inline std::vector<std::uint8_t> RadioModuleDownload(const std::vector<std::uint8_t>& image) {
  constexpr std::size_t kBlock = 256;
  std::vector<std::uint8_t> bytes = image;
  bytes.resize((image.size() + kBlock - 1) / kBlock * kBlock + kBlock, kRadioModuleFill);
  return bytes;
}

}  // namespace tessaly_e2e
