#include "upgrade_app/settings_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/unit/upgrade_app/temp_folder.h"

namespace {

using upgrade_app_test::ScopedEnvironment;
using upgrade_app_test::TempFolder;

class SettingsFileTest : public ::testing::Test {
 protected:
  void Write(const std::string& text) {
    std::ofstream(path_) << text;
    settings_.SetFileName(path_.string());
  }

  TempFolder folder_;
  std::filesystem::path path_ = folder_.Path() / "CorvikUpgrade.ini";
  CSettingsFile settings_;
};

TEST_F(SettingsFileTest, ReadsValuesAndAnswersEmptyForWhatIsMissing) {
  Write("[DSP]\nFileVer=001.607\nComposite=NO\n[APP_TYPE]\nMODE=NORMAL\n");
  EXPECT_EQ(settings_.ReadValue("FileVer", "DSP"), "001.607");
  EXPECT_EQ(settings_.ReadValue("MODE", "APP_TYPE"), "NORMAL");
  EXPECT_EQ(settings_.ReadValue("Upgrade", "DSP"), "");
  EXPECT_EQ(settings_.ReadValue("FileVer", "CVM"), "");
}

TEST_F(SettingsFileTest, CutsALongValueToTheBufferLessItsTerminator) {
  const std::string long_value(300, 'x');
  Write("[CVM]\nFilePath=" + long_value + "\n");
  EXPECT_EQ(settings_.ReadValue("FilePath", "CVM"), long_value.substr(0, 254));
}

TEST_F(SettingsFileTest, ASectionExistsOnlyWithAKey) {
  Write("[DSP]\nFileVer=1\n[CPLD]\n[CVM]\n; only a comment\n");
  EXPECT_TRUE(settings_.SectionExists("DSP"));
  EXPECT_FALSE(settings_.SectionExists("CPLD"));
  EXPECT_FALSE(settings_.SectionExists("CVM"));
  EXPECT_FALSE(settings_.SectionExists("APP_TYPE"));
}

TEST_F(SettingsFileTest, AMissingFileHasNoSectionsAndNoValues) {
  settings_.SetFileName((folder_.Path() / "absent.ini").string());
  EXPECT_FALSE(settings_.SectionExists("DSP"));
  EXPECT_EQ(settings_.ReadValue("FileVer", "DSP"), "");
}

TEST_F(SettingsFileTest, ASectionWithManyKeysIsFoundThoughItsKeyListIsCut) {
  std::string text = "[DSP]\n";
  for (int key = 0; key < 40; ++key) text += "LongKeyName" + std::to_string(key) + "=1\n";
  Write(text);
  EXPECT_TRUE(settings_.SectionExists("DSP"));
}

TEST(SettingsFilePathTest, LiesBelowTheWindowsDirectoryWhenItFitsItsBuffer) {
  const TempFolder root;
  const ScopedEnvironment root_variable("TESSALY_ROOT", root.Path().string());
  EXPECT_EQ(SettingsFilePath(), "C:\\Windows\\Corvik\\CorvikUpgrade.ini");

  // 99 characters and the terminator fill the buffer exactly; one more does not fit.
  const std::string fits = "/tmp/" + std::string(kWindowsDirBufferSize - 1 - 5, 'w');
  const ScopedEnvironment fitting("TESSALY_WINDOWS_DIR", fits);
  EXPECT_EQ(SettingsFilePath(), fits + "\\Corvik\\CorvikUpgrade.ini");
  const ScopedEnvironment too_long("TESSALY_WINDOWS_DIR", fits + "w");
  EXPECT_EQ(SettingsFilePath(), std::nullopt);
}

}  // namespace
