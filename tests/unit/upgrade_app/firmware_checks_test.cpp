#include "upgrade_app/firmware_checks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sys/file.h"
#include "tests/unit/upgrade_app/temp_folder.h"
#include "upgrade_app/corvik_upgrade_app.h"

namespace {

using upgrade_app_test::TempFolder;

const std::vector<std::uint8_t> kSignature = {0xCE, 0xFA, 0xDE, 0xFA};

class FirmwareChecksTest : public ::testing::Test {
 protected:
  // A file of `size` bytes of 0x55 with the signature at `offset` (none when negative).
  std::string WriteImage(const std::string& name, std::size_t size, long long offset) {
    std::vector<std::uint8_t> bytes(size, 0x55);
    if (offset >= 0) {
      std::copy(kSignature.begin(), kSignature.end(),
                bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    const std::filesystem::path path = folder_.Path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path.string();
  }

  bool Check(const std::string& path, bool composite) {
    app_.m_bCompositeDSP = composite ? 1 : 0;
    return CheckDSPSignature(app_, path);
  }

  TempFolder folder_;
  CCorvikUpgradeApp app_;
};

TEST_F(FirmwareChecksTest, PlainImageCarriesItsSignatureAtTheStart) {
  const std::string plain = WriteImage("plain.bin", 64, 0);
  EXPECT_TRUE(Check(plain, false));
  EXPECT_FALSE(Check(plain, true));
}

TEST_F(FirmwareChecksTest, CompositeImageCarriesItsSignatureAtItsOffset) {
  const std::string composite =
      WriteImage("composite.bin", kCompositeSignatureOffset + 16, kCompositeSignatureOffset);
  EXPECT_TRUE(Check(composite, true));
  EXPECT_FALSE(Check(composite, false));
}

TEST_F(FirmwareChecksTest, AnImageTooShortForTheSignatureFails) {
  EXPECT_FALSE(Check(WriteImage("three.bin", 3, -1), false));
  // The signature would end one byte past the end of the file.
  const std::string cut = WriteImage("cut.bin", kCompositeSignatureOffset + 3, -1);
  EXPECT_FALSE(Check(cut, true));
  EXPECT_FALSE(Check(WriteImage("empty.bin", 0, -1), true));
}

TEST_F(FirmwareChecksTest, AnImageThatCannotBeOpenedFails) {
  EXPECT_FALSE(Check((folder_.Path() / "absent.bin").string(), false));
  EXPECT_FALSE(Check(folder_.Path().string(), false));
  const std::string plain = WriteImage("held.bin", 64, 0);
  platform::CFile holder;
  ASSERT_TRUE(holder.Open(plain, platform::CFile::modeRead | platform::CFile::shareDenyNone));
  EXPECT_FALSE(Check(plain, false));
  holder.Close();
  EXPECT_TRUE(Check(plain, false));
}

TEST_F(FirmwareChecksTest, AllFiveNamesMustMatchSomething) {
  const std::string dsp = WriteImage("dsp.bin", 4, 0);
  const std::string cpld = WriteImage("cpld.xsvf", 4, -1);
  const std::string cvm = WriteImage("cvm.hex", 4, -1);
  const std::string boot = WriteImage("boot.bin", 4, -1);
  const std::string composite = WriteImage("comp.bin", 4, -1);
  EXPECT_TRUE(CheckFirmwareFilesPresent(dsp, cpld, cvm, boot, composite));
  // A folder counts, and so does a wildcard that matches a file.
  EXPECT_TRUE(CheckFirmwareFilesPresent(dsp, folder_.Path().string(),
                                        (folder_.Path() / "*.hex").string(), boot, composite));
  const std::string absent = (folder_.Path() / "absent.bin").string();
  EXPECT_FALSE(CheckFirmwareFilesPresent(dsp, cpld, cvm, absent, composite));
  EXPECT_FALSE(CheckFirmwareFilesPresent(dsp, cpld, cvm, boot, absent));
  EXPECT_FALSE(CheckFirmwareFilesPresent(absent, cpld, cvm, boot, composite));
}

}  // namespace
