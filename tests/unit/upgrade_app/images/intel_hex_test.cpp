#include "upgrade_app/images/intel_hex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "tests/unit/upgrade_app/images/image_files.h"
#include "tests/unit/upgrade_app/temp_folder.h"
#include "upgrade_app/images/crc32.h"

namespace {

using images_test::Bytes;
using images_test::DataRecord;
using images_test::EndRecord;
using images_test::HexRecord;
using images_test::LinearAddress;
using images_test::SegmentAddress;

struct Sizing {
  int code = -1;
  std::uint64_t lowest = 0;
  std::uint64_t highest = 0;
};

Sizing Size(const std::string& text) {
  Sizing result;
  result.code = ScanIntelHex(text, 0, 0, {}, result.lowest, result.highest);
  return result;
}

// `low` and `high` as one image with `high` at `high_at`, the gap between them 0xFF.
std::vector<platform::BYTE> TwoRuns(std::vector<platform::BYTE> low, std::size_t high_at,
                                    const std::vector<platform::BYTE>& high) {
  low.resize(high_at, 0xFF);
  low.insert(low.end(), high.begin(), high.end());
  return low;
}

// The records joined by line ends, as a HEX file holds them.
std::string Lines(const std::vector<std::string>& records) {
  std::string text;
  for (const std::string& record : records) text += record + "\r\n";
  return text;
}

class ConverterTest : public ::testing::Test {
 protected:
  std::string WriteHex(const std::string& text, const std::string& name = "image.hex") {
    const std::filesystem::path path = folder_.Path() / name;
    sample_root::WriteFile(path, text);
    return path.string();
  }

  int Convert(const std::string& hex_path) {
    return ConvertHexToBin(hex_path, buffer_, length_, start_, sum_);
  }

  // The converted image.hex: `image` and its three fill bytes, in the buffer and in the binary
  // file alike, and their sum.
  void ExpectImage(const std::vector<platform::BYTE>& image) {
    std::vector<platform::BYTE> expected = image;
    expected.resize(image.size() + kHexImageTail, 0xFF);
    EXPECT_EQ(length_, image.size());
    EXPECT_EQ(buffer_, expected);
    EXPECT_EQ(images_test::ReadBytes(folder_.Path() / "image.bin"), expected);
    EXPECT_EQ(sum_, std::accumulate(expected.begin(), expected.end(), 0U));
  }

  upgrade_app_test::TempFolder folder_;
  std::vector<platform::BYTE> buffer_;
  std::uint32_t length_ = 99;
  std::uint32_t start_ = 0;
  std::uint32_t sum_ = 0;
};

TEST(ParseHexDigits, ReadsEitherCaseMostSignificantFirstModulo32Bits) {
  EXPECT_EQ(ParseHexDigits(":1aF0", 1, 3), 0x1AFU);
  EXPECT_EQ(ParseHexDigits("123456789A", 0, 10), 0x3456789AU);
  EXPECT_THROW(ParseHexDigits("12", 1, 2), platform::CInvalidArgException);
  EXPECT_THROW(ParseHexDigits("1G", 0, 2), platform::CInvalidArgException);
}

TEST_F(ConverterTest, GapsBetweenRecordsAndTheThreeBytesBehindTheImageAreFF) {
  const std::string hex = WriteHex(
      Lines({DataRecord(0x100, Bytes(16, 0x01)), DataRecord(0x120, Bytes(16, 0x41)), EndRecord()}));
  ASSERT_EQ(Convert(hex), kConvertOk);
  EXPECT_EQ(start_, 0x100U);
  ExpectImage(TwoRuns(Bytes(16, 0x01), 0x20, Bytes(16, 0x41)));
}

TEST_F(ConverterTest, AFileLargerThanOneReadIsConvertedByteForByte) {
  // About 190 KB of text: records straddle the reads, and the image crosses 64 KiB pages.
  const std::vector<std::uint8_t> image = sample_root::MakeFillerImage(0x10000, 0xB16);
  constexpr std::uint32_t kStart = 0x3FF80;
  const std::string text = sample_root::MakeIntelHex(image, kStart);
  ASSERT_GT(text.size(), 2 * std::size_t{64} * 1024);
  ASSERT_EQ(Convert(WriteHex(text)), kConvertOk);
  EXPECT_EQ(start_, kStart);
  ExpectImage(image);
}

TEST_F(ConverterTest, SegmentRecordsAndRecordsOutOfAddressOrderLandAtTheirAddresses) {
  // Segment 0x1000 is base 0x10000, segment 0x0FFF base 0xFFF0.
  const std::string hex = WriteHex(Lines(
      {SegmentAddress(0x1000), DataRecord(0x0020, Bytes(4, 0x21)),   // 0x10020
       SegmentAddress(0x0FFF), DataRecord(0x0018, Bytes(4, 0x09)),   // 0x10008
       DataRecord(0x0010, Bytes(8, 0x01)),                           // 0x10000, the lowest
       SegmentAddress(0x1000), DataRecord(0x0010, Bytes(16, 0x11)),  // 0x10010, before 0x10020
       EndRecord()}));
  ASSERT_EQ(Convert(hex), kConvertOk);
  EXPECT_EQ(start_, 0x10000U);
  // 0x10000 to 0x1000B from two records, a gap of four, then 0x10010 to 0x10023.
  ExpectImage(TwoRuns(Bytes(12, 0x01), 16, Bytes(20, 0x11)));
}

TEST_F(ConverterTest, AddressRecordsSetTheBaseAndEachReplacesTheLast) {
  const std::map<std::string, std::uint32_t> starts = {
      {Lines({LinearAddress(0x0001), DataRecord(0, {0xAA}), EndRecord()}), 0x10000},
      {Lines({SegmentAddress(0x1000), DataRecord(0, {0xAA}), EndRecord()}), 0x10000},
      {Lines(
           {LinearAddress(0x0005), SegmentAddress(0x1000), DataRecord(0x10, {0xAA}), EndRecord()}),
       0x10010},
      {Lines({SegmentAddress(0x1000), LinearAddress(0x0002), DataRecord(0, {0xAA}), EndRecord()}),
       0x20000},
  };
  for (const auto& [text, start] : starts) {
    ASSERT_EQ(Convert(WriteHex(text)), kConvertOk) << text;
    EXPECT_EQ(start_, start) << text;
    EXPECT_EQ(length_, 1U) << text;
  }
}

TEST_F(ConverterTest, LowerCaseDigitsAndTokensAfterTheEndRecordAreFine) {
  std::string text = DataRecord(0x10, {0xAB, 0xCD}) + " " + EndRecord() + "\n";
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  text += "this is no record\n:00000005FB\n";
  ASSERT_EQ(Convert(WriteHex(text)), kConvertOk);
  EXPECT_EQ(buffer_, (std::vector<platform::BYTE>{0xAB, 0xCD, 0xFF, 0xFF, 0xFF}));
}

TEST_F(ConverterTest, DataRecordsWithoutBytesMoveNeitherEnd) {
  const std::string hex = WriteHex(Lines({DataRecord(0x0050, {}), DataRecord(0x100, Bytes(4, 1)),
                                          DataRecord(0x0900, {}), EndRecord()}));
  ASSERT_EQ(Convert(hex), kConvertOk);
  EXPECT_EQ(start_, 0x100U);
  EXPECT_EQ(length_, 4U);
}

TEST_F(ConverterTest, ARefusedFileGivesNoImageAndNoBinaryFile) {
  for (const std::string& text :
       {Lines({DataRecord(0, {1}).replace(11, 2, "00"), EndRecord()}), Lines({EndRecord()})}) {
    EXPECT_EQ(Convert(WriteHex(text)), kConvertSizingPassFailed) << text;
    EXPECT_TRUE(buffer_.empty());
    EXPECT_EQ(length_, 0U);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "image.bin"));
  }
  EXPECT_EQ(Convert((folder_.Path() / "missing.hex").string()), kConvertSizingPassFailed);
}

TEST_F(ConverterTest, AHexFileWhoseBinaryNameIsItselfIsLeftAlone) {
  const std::string text = Lines({DataRecord(0, {1, 2}), EndRecord()});
  const std::string hex = WriteHex(text, "image.bin");
  EXPECT_EQ(Convert(hex), kConvertBinaryIsHexFile);
  EXPECT_TRUE(buffer_.empty());
  const std::vector<platform::BYTE> on_disk = images_test::ReadBytes(hex);
  EXPECT_EQ(std::string(on_disk.begin(), on_disk.end()), text);
}

TEST_F(ConverterTest, TheFilePassesReportTheirFiles) {
  std::uint64_t lowest = 0;
  std::uint64_t highest = 0;
  std::uint32_t sum = 0;
  const std::string hex = WriteHex(Lines({DataRecord(0, {1, 2}), EndRecord()}));
  EXPECT_EQ(
      IntelHexPass({}, lowest, (folder_.Path() / "none.hex").string(), nullptr, 0, 0, highest, sum),
      kHexFileNotOpened);
  EXPECT_EQ(IntelHexPass((folder_.Path() / "no folder" / "x.bin").string(), lowest, hex, nullptr, 5,
                         0, highest, sum),
            kHexBinaryNotCreated);
  EXPECT_EQ(
      IntelHexPass((folder_.Path() / "out.bin").string(), lowest, hex, nullptr, 5, 0, highest, sum),
      kHexOk);
  EXPECT_EQ(sum, 1U + 2U + 3U * 0xFFU);
}

TEST(IntelHexScan, EachBadRecordHasItsCode) {
  const std::string good = DataRecord(0x0010, {0x11, 0x22});
  std::string bad_checksum = good;
  bad_checksum.back() = bad_checksum.back() == '0' ? '1' : '0';
  // A 255-byte record padded with zero pairs to 1023 characters still reads.
  const std::string longest =
      DataRecord(0, std::vector<std::uint8_t>(255, 0)) + std::string(kMaxHexTokenLength - 521, '0');
  ASSERT_EQ(longest.size(), kMaxHexTokenLength);
  const std::map<std::string, int> codes = {
      {longest, kHexOk},
      {longest + "0", kHexTokenTooLong},
      {bad_checksum, kHexBadChecksum},
      {good.substr(1), kHexNoColon},
      {HexRecord(0, 0x05, {0, 0, 0, 0}), kHexStartLinearAddress},
      {HexRecord(0, 0x06, {}), kHexUnknownRecordType},
      {HexRecord(0, 0x03, {0, 0, 0, 0}), kHexNoDataRecord},
      // A blank inside a record makes two tokens: the first part fails its checksum.
      {good.substr(0, 11) + " " + good.substr(11), kHexBadChecksum},
      {":040010001122B9", kHexRecordTruncated},
      {":00000000", kHexRecordTruncated},
      {":02001000112G99", kHexNotHexDigit},
      {good + "x", kHexNotHexDigit},
      {HexRecord(0, 0x04, {0x01}), kHexShortAddressRecord},
      {HexRecord(0, 0x02, {}), kHexShortAddressRecord},
      {LinearAddress(0xFFFF) + " " + DataRecord(0xFFFF, {1, 2}), kHexAddressPast32Bits},
      {DataRecord(0, {1}) + " " + LinearAddress(0x0100) + " " + DataRecord(0, {1}),
       kHexImageTooLarge},
      {EndRecord(), kHexNoDataRecord},
  };
  for (const auto& [text, code] : codes) EXPECT_EQ(Size(text).code, code) << text;
}

TEST(IntelHexScan, ImagesUpToSixteenMegabytesAndTheLastAddressAreAccepted) {
  const Sizing full =
      Size(DataRecord(0, {1}) + " " + LinearAddress(0x00FF) + " " + DataRecord(0xFFFF, {1}));
  EXPECT_EQ(full.code, kHexOk);
  EXPECT_EQ(full.highest - full.lowest, kMaxHexImageSize);
  const Sizing top = Size(LinearAddress(0xFFFF) + " " + DataRecord(0xFFFE, {1, 2}));
  EXPECT_EQ(top.code, kHexOk);
  EXPECT_EQ(top.lowest, 0xFFFFFFFEU);
  EXPECT_EQ(top.highest, 0x100000000U);
}

TEST(IntelHexScan, AWritingPassStopsAtRecordsOutsideItsImage) {
  std::vector<platform::BYTE> image(8, 0);
  const HexDataWriter write = [&image](std::uint32_t offset, std::span<const platform::BYTE> data) {
    std::copy(data.begin(), data.end(), image.begin() + offset);
  };
  std::uint64_t lowest = 0;
  std::uint64_t highest = 0;
  const std::map<std::string, int> codes = {
      {DataRecord(0x106, {1, 2}), kHexOk},
      {DataRecord(0x107, {1, 2}), kHexReachesImageEnd},
      {DataRecord(0x109, {1}), kHexBeginsPastImage},
      {DataRecord(0x0FF, {1}), kHexBeginsPastImage},
  };
  for (const auto& [text, code] : codes) {
    EXPECT_EQ(ScanIntelHex(text, 8, 0x100, write, lowest, highest), code) << text;
  }
  EXPECT_EQ(image, (std::vector<platform::BYTE>{0, 0, 0, 0, 0, 0, 1, 2}));
}

TEST(Crc32, MatchesTheCheckValue) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xCBF43926U);
  EXPECT_EQ(Crc32(nullptr, 0), 0U);
}

}  // namespace
