#include "apps/make_sample_root/sample_root.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

unsigned HexByte(const std::string& text, std::size_t position) {
  return static_cast<unsigned>(std::stoul(text.substr(position, 2), nullptr, 16));
}

// Reads the records back: checks every checksum and gathers the data at absolute addresses.
std::vector<std::uint8_t> ReadIntelHex(const std::string& text, std::uint32_t& start) {
  std::istringstream lines(text);
  std::vector<std::uint8_t> data;
  std::uint32_t base = 0;
  bool first = true;
  bool ended = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    EXPECT_FALSE(ended) << "record after the end-of-file record";
    EXPECT_EQ(line.front(), ':');
    unsigned sum = 0;
    for (std::size_t position = 1; position < line.size(); position += 2) {
      sum += HexByte(line, position);
    }
    EXPECT_EQ(sum & 0xFFU, 0U) << line;
    const unsigned count = HexByte(line, 1);
    const std::uint32_t offset = HexByte(line, 3) << 8U | HexByte(line, 5);
    const unsigned type = HexByte(line, 7);
    if (type == 4) base = (HexByte(line, 9) << 8U | HexByte(line, 11)) << 16U;
    if (type == 1) ended = true;
    if (type != 0) continue;
    if (first) start = base + offset;
    first = false;
    EXPECT_EQ(base + offset, start + data.size()) << "records are not contiguous";
    for (unsigned index = 0; index < count; ++index)
      data.push_back(static_cast<std::uint8_t>(HexByte(line, 9 + 2 * index)));
  }
  EXPECT_TRUE(ended);
  return data;
}

TEST(SampleRootTest, IntelHexCarriesTheImageAcrossA64KiBBoundary) {
  const std::vector<std::uint8_t> image = sample_root::MakeFillerImage(1000, 7);
  std::uint32_t start = 0;
  EXPECT_EQ(ReadIntelHex(sample_root::MakeIntelHex(image, 0x0001FE00), start), image);
  EXPECT_EQ(start, 0x0001FE00U);
}

TEST(SampleRootTest, DSPImagesCarryTheSignatureWhereAsked) {
  const std::vector<std::uint8_t> plain = sample_root::MakeDspImage(64, 0);
  EXPECT_EQ(plain.size(), 64U);
  EXPECT_EQ(std::vector<std::uint8_t>(plain.begin(), plain.begin() + 4),
            (std::vector<std::uint8_t>{0xCE, 0xFA, 0xDE, 0xFA}));
  // Too small for its signature: grown to hold it.
  const std::vector<std::uint8_t> composite = sample_root::MakeDspImage(64, 0x10004);
  ASSERT_EQ(composite.size(), 0x10008U);
  EXPECT_EQ(composite[0x10004], 0xCE);
  EXPECT_EQ(composite[0x10007], 0xFA);
}

// The program reads the Composite switch trimmed and upper-cased; the sample must place the
// signature the way the program will look for it.
TEST(SampleRootTest, CompositeSwitchIsReadLikeTheProgramReadsIt) {
  const std::filesystem::path root =
      std::filesystem::path(::testing::TempDir()) / "sample-root-composite";
  sample_root::Options options;
  options.composite = " Yes ";
  sample_root::WriteSampleRoot(root, options);
  std::ifstream image(root / "Program Files/Orvanta/Halcyra Upgrade/Firmware/QVX.CON.01.607.bin",
                      std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(image)),
                                std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 0x10008U);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[0x10004]), 0xCE);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[0x10007]), 0xFA);
  std::filesystem::remove_all(root);
}

TEST(SampleRootTest, ConsoleParametersListTheValuesInOrder) {
  EXPECT_EQ(sample_root::MakeConsoleParameters(10, 0xFE),
            "Data,LSB,MSB\r\n0xFE,0xFF,0x00,0x01,0x02,0x03,0x04,0x05\r\n0x06,0x07\r\n");
}

}  // namespace
