#include <string>

#include <gtest/gtest.h>

#include "platform/sys/profile.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

using testing::TempRoot;

constexpr char kSettings[] = "C:\\Windows\\Corvik\\CorvikUpgrade.ini";
constexpr DWORD kValueBuffer = 255;
constexpr DWORD kSectionBuffer = 90;

class ProfileTest : public ::testing::Test {
 protected:
  void WriteSettings(const std::string& text) {
    root_.Write("Windows/Corvik/CorvikUpgrade.ini", text);
  }
  std::string Read(const char* section, const char* key, const char* fallback = "",
                   const char* file = kSettings) {
    char buffer[kValueBuffer];
    last_count_ = GetPrivateProfileStringA(section, key, fallback, buffer, kValueBuffer, file);
    return buffer;
  }
  bool SectionExists(const char* section) {
    char buffer[kSectionBuffer];
    return GetPrivateProfileStringA(section, nullptr, "", buffer, kSectionBuffer, kSettings) > 0;
  }

  TempRoot root_;
  DWORD last_count_ = 0;
};

TEST_F(ProfileTest, ValuesAreTrimmedAndNamesCompareWithoutCase) {
  WriteSettings(
      "; comment\r\n"
      "[DSP]\r\n"
      "FilePath=\\Orvanta\\QVX.CON.01.607.bin\r\n"
      "  FileVer =  01.607 \t\r\n"
      "Composite=NO\r\n"
      "[ APP_TYPE ]\n"
      "MODE= varsolin\n");
  EXPECT_EQ(Read("DSP", "FilePath"), "\\Orvanta\\QVX.CON.01.607.bin");
  EXPECT_EQ(Read("dsp", "fileVER"), "01.607");
  EXPECT_EQ(last_count_, 6u);
  EXPECT_EQ(Read("APP_TYPE", "MODE"), "varsolin");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(Read("DSP", "FilePath"), "");
  EXPECT_EQ(last_count_, 0u);
  WriteSettings("[DSP]\nFileVer=1\n");
  EXPECT_EQ(Read("CPLD", "FileVer"), "");
  EXPECT_EQ(Read("DSP", "Upgrade"), "");
  EXPECT_EQ(Read("DSP", "Upgrade", "NO  "), "NO");  // trailing blanks of a default go
  EXPECT_EQ(last_count_, 2u);
}

TEST_F(ProfileTest, LongValueIsCutToTheBufferAndTerminated) {
  const std::string long_value(300, 'x');
  WriteSettings("[DSP]\nFilePath=" + long_value + "\n");
  EXPECT_EQ(Read("DSP", "FilePath"), long_value.substr(0, kValueBuffer - 1));
  EXPECT_EQ(last_count_, kValueBuffer - 1);
}

TEST_F(ProfileTest, SectionIsFoundOnlyWhenItHoldsAKey) {
  WriteSettings("[DSP]\nFilePath=a\nFileVer=b\n[CPLD]\n; nothing\n[CVM]\nUpgrade=\n");
  EXPECT_TRUE(SectionExists("DSP"));
  EXPECT_TRUE(SectionExists("CVM"));  // a key with an empty value still counts
  EXPECT_FALSE(SectionExists("CPLD"));
  EXPECT_FALSE(SectionExists("APP_TYPE"));

  char list[kSectionBuffer];
  const DWORD count = GetPrivateProfileStringA("DSP", nullptr, "", list, kSectionBuffer, kSettings);
  EXPECT_EQ(std::string(list, count), std::string("FilePath\0FileVer\0", 17));
  EXPECT_EQ(list[count], '\0');
}

TEST_F(ProfileTest, NameListThatDoesNotFitIsCutAndDoubleTerminated) {
  WriteSettings("[S]\nalpha=1\nbeta=2\n");
  char list[9];
  const DWORD count = GetPrivateProfileStringA("S", nullptr, "", list, sizeof list, kSettings);
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(std::string(list, sizeof list), std::string("alpha\0b\0\0", 9));
}

TEST_F(ProfileTest, BareFileNameIsLookedForInTheWindowsDirectory) {
  root_.Write("Windows/bare.ini", "[A]\nk=v\n");
  EXPECT_EQ(Read("A", "k", "", "bare.ini"), "v");
}

}  // namespace
}  // namespace platform
