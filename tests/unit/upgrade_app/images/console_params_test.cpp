#include "upgrade_app/images/console_params.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

using upgrade_app_test::MainWindowTest;

// The block with `values` at its start and 0xFF behind them.
ConsoleParamBlock BlockStartingWith(const std::vector<platform::BYTE>& values) {
  ConsoleParamBlock block{};
  block.fill(0xFF);
  std::copy(values.begin(), values.end(), block.begin());
  return block;
}

TEST(ConsoleParams, SkipWordsAndNoValueMarksGiveNothingAndEveryOtherFieldItsLowByte) {
  EXPECT_EQ(ParseConsoleParams("Data,LSB,MSB\n12,34\n0xffff,7F\n"),
            BlockStartingWith({0x12, 0x34, 0x7F}));
  EXPECT_EQ(ParseConsoleParams(",, LSB,1FF,,FFFF,0xFFFF,lsb,Data ,x\n"),
            BlockStartingWith({0x00, 0xFF, 0x00, 0xDA, 0x00}));
}

TEST(ConsoleParams, CrLfEndsALineAndAByteOrderMarkIsSkipped) {
  EXPECT_EQ(ParseConsoleParams("\xEF\xBB\xBF"
                               "Data,0x11\r\n0x22,\r\n\r\n33"),
            BlockStartingWith({0x11, 0x22, 0x33}));
  // Only at the very start: later it is just a field without digits.
  EXPECT_EQ(ParseConsoleParams("1\n\xEF\xBB\xBF"
                               "2\n"),
            BlockStartingWith({0x01, 0x00}));
}

TEST(ConsoleParams, LongLinesAreReadWholeAndValuesAfterTheBlockAreIgnored) {
  // 120 characters on one line: no number is cut in two.
  std::string line;
  std::vector<platform::BYTE> expected;
  for (int value = 0; line.size() < 120; ++value) {
    line += "0x000000" + std::string(1, "0123456789ABCDEF"[value % 16]) + "1,";
    expected.push_back(static_cast<platform::BYTE>((value % 16) * 16 + 1));
  }
  EXPECT_EQ(ParseConsoleParams(line), BlockStartingWith(expected));

  std::string many;
  ConsoleParamBlock all{};
  for (std::size_t index = 0; index < 200; ++index) {
    many += std::to_string(index % 10) + (index % 7 == 6 ? "\n" : ",");
    if (index < all.size()) all[index] = static_cast<platform::BYTE>(index % 10);
  }
  EXPECT_EQ(ParseConsoleParams(many), all);
}

TEST(ConsoleParams, FieldsReadAsA32BitStrtolWithBase16) {
  const std::map<std::string, std::int32_t> values = {
      {"1a", 0x1A},
      {"  +0X1a", 0x1A},
      {"-0x10", -0x10},
      {"0x", 0},
      {"0xg", 0},
      {"", 0},
      {"-", 0},
      {"12z34", 0x12},
      {"7FFFFFFF", 0x7FFFFFFF},
      {"80000000", INT32_MAX},
      {"123456789ABCDEF", INT32_MAX},
      {"-80000000", INT32_MIN},
      {"-80000001", INT32_MIN},
      {"-FFFF", -0xFFFF},
  };
  for (const auto& [field, value] : values) EXPECT_EQ(HexFieldValue(field), value) << field;
}

class ConsoleParamFileTest : public MainWindowTest {
 protected:
  ConsoleParamFileTest() {
    sample_root::WriteSampleRoot(root_.Path());
    app_.m_strInstallDirectory = sample_root::kInstallDirectory;
  }

  // The block the window's country code reads, and whether it was read.
  std::pair<bool, std::vector<platform::BYTE>> Read(int country_code) {
    CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
    dialog.m_nCountryCode = country_code;
    std::vector<platform::BYTE> block = {0x5A};
    const bool read = ReadConsoleParams(block, &dialog);
    return {read, block};
  }
};

TEST_F(ConsoleParamFileTest, EachCountryCodeReadsItsOwnFile) {
  // The sample files hold 94 values counting up from 0x10, 0x20 and 0x30.
  const std::map<int, platform::BYTE> first_values = {{0, 0x10}, {1, 0x20}, {2, 0x30}};
  for (const auto& [code, first] : first_values) {
    std::vector<platform::BYTE> expected(kConsoleParamBlockSize, 0xFF);
    for (std::size_t index = 0; index < 94; ++index) {
      expected[index] = static_cast<platform::BYTE>(first + index);
    }
    EXPECT_EQ(Read(code), std::make_pair(true, expected)) << "country code " << code;
  }
}

TEST_F(ConsoleParamFileTest, OtherCodesAndMissingFilesReadNothing) {
  const std::vector<platform::BYTE> untouched = {0x5A};
  EXPECT_EQ(Read(3), std::make_pair(false, untouched));
  EXPECT_EQ(Read(-1), std::make_pair(false, untouched));
  std::filesystem::remove(sample_root::HostPath(root_.Path(), sample_root::kInstallDirectory) /
                          "Halcyra Upgrade" / "ConsoleORVTDefaultsDECT60.csv");
  EXPECT_EQ(Read(2), std::make_pair(false, untouched));
}

}  // namespace
