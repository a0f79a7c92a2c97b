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

}  // namespace tessaly_e2e
