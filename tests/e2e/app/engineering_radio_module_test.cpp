// The radio-module image of the sample installation from the engineering window: the header that
// announces it (Send Command) and its download (Send FW). The expected header and download file
// are worked out here from the HEX file itself.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

struct Image {
  std::uint32_t start = 0;
  Bytes bytes;
};

std::uint32_t HexValue(const std::string& token, std::size_t position, std::size_t digits) {
  return static_cast<std::uint32_t>(std::stoul(token.substr(position, digits), nullptr, 16));
}

// The image an Intel HEX file describes, from its lowest data address to its highest; gaps are
// 0xFF. Only the record types the sample installation writes are known here.
Image ReadIntelHex(const std::filesystem::path& path) {
  constexpr std::uint32_t kData = 0x00;
  constexpr std::uint32_t kEnd = 0x01;
  constexpr std::uint32_t kLinearAddress = 0x04;
  std::map<std::uint32_t, std::uint8_t> data;
  std::uint32_t base = 0;
  std::ifstream file(path);
  for (std::string token; file >> token;) {
    const std::uint32_t count = HexValue(token, 1, 2);
    const std::uint32_t offset = HexValue(token, 3, 4);
    const std::uint32_t type = HexValue(token, 7, 2);
    if (type == kEnd) break;
    if (type == kLinearAddress) {
      base = HexValue(token, 9, 4) << 16;
    } else if (type == kData) {
      for (std::uint32_t index = 0; index < count; ++index) {
        data[base + offset + index] = static_cast<std::uint8_t>(HexValue(token, 9 + 2 * index, 2));
      }
    } else {
      throw std::runtime_error("unexpected record " + token);
    }
  }
  if (data.empty()) throw std::runtime_error("no data in " + path.string());
  Image image;
  image.start = data.begin()->first;
  image.bytes.assign(data.rbegin()->first + 1 - image.start, tessaly_e2e::kRadioModuleFill);
  for (const auto& [address, byte] : data) image.bytes[address - image.start] = byte;
  return image;
}

TEST(EngineeringRadioModuleTest, TheHeaderAnnouncesTheImageAndSendFwDownloadsItsBlocks) {
  const TessalyRoot root = EngineeringRoot();
  const std::filesystem::path hex_file = root.Firmware(sample_root::kCvmImageName);
  const std::filesystem::path download_file = root.Firmware("CVM_0110.cvm");
  const Image image = ReadIntelHex(hex_file);
  const std::string hex_path = hex_file.string();
  const RunResult result =
      root.Run("select 1039 \"UPD_SEND_CVM_HEADER\"\nfile \"" + hex_path +
                   "\"\ndump 1007\nclick 1023\n" + "time\nselect 1040 \"CVM Firmware\"\nfile \"" +
                   hex_path + "\"\nclick 1024\n" + "time\ndump 1008\ndump 1017\nclick 1\n",
               root.Scenario("[{}]"));

  const std::string file_dialog = tessaly_e2e::FileDialogLine(tessaly_e2e::kCvmFilter, hex_path);
  const Bytes download = tessaly_e2e::RadioModuleDownload(image.bytes);
  const std::string bytes_sent = std::to_string(download.size());
  EXPECT_EQ(result.transcript,
            (Lines{
                "dialog open 104",
                file_dialog,
                "control 1007 text=\"" + hex_path + "\" enabled=1 visible=1",
                "time ms=0",
                file_dialog,
                "time ms=0",
                "control 1008 text=\"\" enabled=1 visible=1 pos=" +
                    std::to_string(download.size() / 2) + " range=0.." + bytes_sent,
                "control 1017 text=\"" + bytes_sent + "\" enabled=1 visible=1",
                "dialog close 104 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(root.Record(),
            (Lines{tessaly_e2e::RequestRecordLine(
                       "0xD01B", tessaly_e2e::RadioModuleHeader(image.bytes, image.start)),
                   tessaly_e2e::FileRecordLine(tessaly_e2e::ReadBytes(download_file))}));
  EXPECT_EQ(tessaly_e2e::ReadBytes(download_file), download);
  EXPECT_EQ(root.StatusFile(), "\r\nData size :" + std::to_string(image.bytes.size()) +
                                   "\r\n, Data Offset = " + std::to_string(image.start) +
                                   " \r\n, Checksum = " +
                                   std::to_string(tessaly_e2e::RadioModuleChecksum(image.bytes)) +
                                   " \r\n"
                                   "\r\nValid response for UPD_SEND_CVM_HEADER received\r\n"
                                   "\r\nDownload Finished\r\n"
                                   "\r\nWaiting for task completion\r\n"
                                   "CVM Upgrade complete");
  EXPECT_FALSE(std::filesystem::exists(root.Path() / "testCVM.bin"))
      << "the temporary block file is removed";
}

}  // namespace
