#include "upgrade_app/images/cvm_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "tests/unit/upgrade_app/app_fixture.h"
#include "tests/unit/upgrade_app/images/image_files.h"
#include "upgrade_app/images/crc32.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

namespace fs = std::filesystem;
using images_test::ReadBytes;

constexpr char kCvmHexPath[] =
    "C:\\Program Files\\Orvanta\\Halcyra Upgrade\\Firmware\\CVM_0110.hex";
constexpr char kCvmDownloadPath[] =
    "C:\\Program Files\\Orvanta\\Halcyra Upgrade\\Firmware\\CVM_0110.cvm";
constexpr std::uint32_t kSampleStart = 0x10000;

std::string ReadText(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

class CvmImageTest : public upgrade_app_test::MainWindowTest {
 protected:
  CvmImageTest() {
    sample_root::WriteSampleRoot(root_.Path());
    app_.m_strCVMFilePath = kCvmHexPath;
  }

  fs::path Host(const std::string& program_path) const {
    return sample_root::HostPath(root_.Path(), program_path);
  }
  fs::path Firmware() const { return sample_root::FirmwareFolder(root_.Path()); }

  // Runs `body` with the wizard window up.
  void InWindow(const std::function<void(CCorvikUpgradeDlg&)>& body) {
    CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
    RunModal(dialog, [&] {
      body(dialog);
      dialog.SendMessage(platform::WM_CLOSE);
    });
  }

  // The files a preparation makes; none is left behind after a refusal.
  std::vector<fs::path> MadeFiles() const {
    std::vector<fs::path> made;
    for (const fs::path& path : {BinaryFile(), DownloadFile(), TemporaryFile()}) {
      if (fs::is_regular_file(path)) made.push_back(path);
    }
    return made;
  }
  fs::path BinaryFile() const { return Firmware() / "CVM_0110.bin"; }
  fs::path DownloadFile() const { return Firmware() / "CVM_0110.cvm"; }
  fs::path TemporaryFile() const { return work_ / "testCVM.bin"; }

  // Both preparations of the settings image fail with the conversion box.
  void ExpectBothPreparationsToFail() {
    InWindow([&](CCorvikUpgradeDlg& dialog) {
      EXPECT_FALSE(PrepareCVMImageWithSum(&dialog, kCvmHexPath));
      EXPECT_FALSE(PrepareCVMImageWithCRC(&dialog, kCvmHexPath));
    });
    const auto boxes = ui_->Boxes();
    ASSERT_EQ(boxes.size(), 2U);
    for (const upgrade_app_test::ShownBox& box : boxes) {
      EXPECT_EQ(box.text, kCvmConversionFailedText);
      ExpectErrorBox(box);
    }
  }

  // An error box of the wizard window.
  static void ExpectErrorBox(const upgrade_app_test::ShownBox& box) {
    EXPECT_EQ(box.caption, "Halcyra Software Upgrade");
    EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_EQ(box.owner_template, IDD_WIZARD_WINDOW);
  }

  const std::vector<std::uint8_t> image_ = sample_root::MakeFillerImage(4096, 0xC7A);
  const fs::path work_ = root_.Path() / "Work";
  images_test::ScopedCurrentDirectory current_directory_{work_};
};

TEST_F(CvmImageTest, TheDownloadFileIsWholeBlocksAndOneMore) {
  const std::map<int, std::size_t> sizes = {{0, 0}, {1, 512}, {256, 512}, {257, 768}};
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  for (const auto& [length, size] : sizes) {
    const std::vector<platform::BYTE> image = images_test::Bytes(length + 3, 1);
    EXPECT_EQ(WriteCVMFile(&dialog, image, length), kCvmDownloadPath);
    const std::vector<platform::BYTE> written = ReadBytes(Host(kCvmDownloadPath));
    ASSERT_EQ(written.size(), size) << "length " << length;
    std::vector<platform::BYTE> expected(image.begin(), image.begin() + length);
    expected.resize(size, 0xFF);
    EXPECT_EQ(written, expected) << "length " << length;
    EXPECT_EQ(dialog.m_nCVMImageLength, length);
    EXPECT_FALSE(fs::exists(work_ / "testCVM.bin"));
  }
}

TEST_F(CvmImageTest, TheHeaderIsLengthStartAndChecksumLittleEndianThenFF) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  dialog.m_nCVMImageLength = 48;
  dialog.m_nCVMImageStart = 256;
  dialog.m_nCVMImageChecksum = 0x55;
  std::vector<platform::BYTE> header(kCvmHeaderSize, 0);
  EXPECT_TRUE(BuildCVMHeader(&dialog, header));
  std::vector<platform::BYTE> expected = {0x30, 0, 0, 0, 0, 1, 0, 0, 0x55, 0, 0, 0};
  expected.resize(kCvmHeaderSize, 0xFF);
  EXPECT_EQ(header, expected);
}

TEST_F(CvmImageTest, TheCrcPreparationDescribesTheImageAndLeavesNoFileBehind) {
  InWindow([&](CCorvikUpgradeDlg& dialog) {
    EXPECT_TRUE(PrepareCVMImageWithCRC(&dialog, kCvmHexPath));
    EXPECT_EQ(dialog.m_nCVMImageLength, 4096);
    EXPECT_EQ(dialog.m_nCVMImageStart, static_cast<int>(kSampleStart));
    EXPECT_EQ(dialog.m_nCVMImageChecksum, Crc32(image_.data(), image_.size()));
  });
  EXPECT_TRUE(MadeFiles().empty());
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(CvmImageTest, AnOddLengthTakesTheFirstFillByteIntoTheCrc) {
  const std::vector<std::uint8_t> odd = {1, 2, 3, 4, 5};
  sample_root::WriteFile(Firmware() / "CVM_0110.hex", sample_root::MakeIntelHex(odd, 0x200));
  InWindow([&](CCorvikUpgradeDlg& dialog) {
    ASSERT_TRUE(PrepareCVMImageWithCRC(&dialog, kCvmHexPath));
    const std::vector<std::uint8_t> covered = {1, 2, 3, 4, 5, 0xFF};
    EXPECT_EQ(dialog.m_nCVMImageChecksum, Crc32(covered.data(), covered.size()));
    EXPECT_EQ(dialog.m_nCVMImageLength, 5);
  });
}

TEST_F(CvmImageTest, TheSumPreparationLeavesTheDownloadFileToSend) {
  InWindow([&](CCorvikUpgradeDlg& dialog) {
    EXPECT_TRUE(PrepareCVMImageWithSum(&dialog, kCvmHexPath));
    EXPECT_EQ(dialog.m_strFilePath, kCvmDownloadPath);
    EXPECT_EQ(dialog.m_nCVMImageLength, 4096);
    EXPECT_EQ(dialog.m_nCVMImageStart, static_cast<int>(kSampleStart));
    // The sum covers the three fill bytes behind the image.
    EXPECT_EQ(dialog.m_nCVMImageChecksum,
              std::accumulate(image_.begin(), image_.end(), 0U) + 3 * 0xFFU);
  });
  std::vector<std::uint8_t> expected = image_;
  expected.resize(image_.size() + 256, 0xFF);
  EXPECT_EQ(ReadBytes(Host(kCvmDownloadPath)), expected);
  // The binary file of the conversion stays; the temporary copy does not.
  EXPECT_EQ(MadeFiles(), (std::vector<fs::path>{BinaryFile(), DownloadFile()}));
}

TEST_F(CvmImageTest, ARefusedConversionIsReportedAndWritesNothing) {
  const std::string hex_text = sample_root::MakeIntelHex(image_, kSampleStart);
  const std::string bad_text = hex_text.substr(0, 20) + "Z" + hex_text.substr(21);
  struct Case {
    std::string name;
    std::string hex_path;       // converted
    std::string settings_path;  // names the download file
    std::string file_name;      // written with the text below, in the firmware folder
    std::string text;
  };
  const std::string folder = "C:\\Program Files\\Orvanta\\Halcyra Upgrade\\Firmware\\";
  const std::vector<Case> cases = {
      {"no path", "", kCvmHexPath, "", ""},
      {"bad record", folder + "bad.hex", kCvmHexPath, "bad.hex", bad_text},
      {"binary is the HEX file", folder + "image.bin", kCvmHexPath, "image.bin", hex_text},
      {"download is the HEX file", folder + "CVM_0110.cvm", folder + "CVM_0110.cvm", "CVM_0110.cvm",
       hex_text},
      {"download folder missing", kCvmHexPath, "C:\\Nowhere\\CVM_0110.hex", "", ""},
  };
  for (const Case& refused : cases) {
    SCOPED_TRACE(refused.name);
    if (!refused.file_name.empty())
      sample_root::WriteFile(Firmware() / refused.file_name, refused.text);
    app_.m_strCVMFilePath = refused.settings_path;
    InWindow([&](CCorvikUpgradeDlg& dialog) {
      dialog.m_strFilePath = "chosen";
      EXPECT_FALSE(PrepareCVMImageWithSum(&dialog, refused.hex_path));
      EXPECT_EQ(dialog.m_strFilePath, "chosen");
      EXPECT_FALSE(PrepareCVMImageWithCRC(&dialog, refused.hex_path));
    });
    if (!refused.file_name.empty()) {
      EXPECT_EQ(ReadText(Firmware() / refused.file_name), refused.text);
      fs::remove(Firmware() / refused.file_name);
    }
    EXPECT_EQ(MadeFiles(), std::vector<fs::path>{});
  }
  // One box for each preparation.
  const auto boxes = ui_->Boxes();
  EXPECT_EQ(boxes.size(), 2 * cases.size());
  for (const upgrade_app_test::ShownBox& box : boxes) {
    EXPECT_EQ(box.text, kCvmConversionFailedText);
    ExpectErrorBox(box);
  }
}

TEST_F(CvmImageTest, ABinaryFileThatCannotBeRemovedIsReportedAndTheCrcPreparationFails) {
  // A folder where the binary file would go: the conversion goes on without it, and its
  // removal fails.
  fs::create_directories(Firmware() / "CVM_0110.bin");
  InWindow([&](CCorvikUpgradeDlg& dialog) {
    EXPECT_FALSE(PrepareCVMImageWithCRC(&dialog, kCvmHexPath));
  });
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_NE(boxes[0].text.find("CVM_0110.bin"), std::string::npos) << boxes[0].text;
  ExpectErrorBox(boxes[0]);
  EXPECT_EQ(MadeFiles(), std::vector<fs::path>{});
  EXPECT_TRUE(fs::is_directory(BinaryFile()));
}

TEST_F(CvmImageTest, ADownloadFileThatCannotBeWrittenLeavesNoFileBehind) {
  // The download file's name is taken by a folder of someone else's.
  const fs::path in_folder = DownloadFile() / "kept.txt";
  sample_root::WriteFile(in_folder, std::string("not ours"));
  ExpectBothPreparationsToFail();
  EXPECT_EQ(MadeFiles(), std::vector<fs::path>{});
  EXPECT_TRUE(fs::is_directory(DownloadFile()));
  EXPECT_EQ(ReadText(in_folder), "not ours");
}

TEST_F(CvmImageTest, AFileThatHadTheDownloadNameBeforeIsLeftAsItWas) {
  // The temporary file cannot be made, so the download file is never reached.
  const std::string users = "the user's own file";
  sample_root::WriteFile(DownloadFile(), users);
  fs::create_directories(TemporaryFile());
  ExpectBothPreparationsToFail();
  EXPECT_EQ(ReadText(DownloadFile()), users);
  EXPECT_FALSE(fs::exists(BinaryFile()));
  EXPECT_TRUE(fs::is_directory(TemporaryFile()));
}

TEST_F(CvmImageTest, ATemporaryFileThatWasThereBeforeIsNotRemoved) {
  sample_root::WriteFile(TemporaryFile(), std::string("the user's own file"));
  fs::create_directories(DownloadFile());
  ExpectBothPreparationsToFail();
  // Its bytes are the image's by then, but it is not taken away.
  EXPECT_EQ(MadeFiles(), std::vector<fs::path>{TemporaryFile()});
}

}  // namespace
