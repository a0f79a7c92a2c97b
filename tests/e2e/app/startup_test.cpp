// Start-up of tessaly on a sample installation: every refusal of the settings and firmware
// checks with its message box, and the values that are accepted.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/app/tessaly_process.h"

namespace {

using tessaly_e2e::kProductCaption;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;
using Transcript = std::vector<std::string>;

constexpr char kShortCaption[] = "Halcyra Upgrade";
constexpr char kBadSettings[] =
    R"(Settings are not appropriate!\nHalcyra Software Upgrade will exit!\nPlease reinstall application)";
constexpr char kMissingFiles[] =
    R"(One or more firmware files missing!\nHalcyra Software Upgrade will exit!\nPlease reinstall application)";
constexpr char kBadSignature[] =
    R"(DSP firmware file identification failed!\nHalcyra Software Upgrade will exit!\nPlease reinstall application)";

// What a refused start-up leaves in the transcript: the one error box, then the exit.
Transcript Refusal(const std::string& caption, const std::string& text) {
  return {"box thread=gui owner=none caption=\"" + caption + "\" text=\"" + text +
              "\" icon=error buttons=ok answer=ok auto",
          "exit code=0"};
}

void ExpectRefusal(const RunResult& result, const std::string& caption, const std::string& text) {
  EXPECT_EQ(result.transcript, Refusal(caption, text));
  EXPECT_EQ(result.exit_status, 0);
}

// Start-up got through when the main window of the expected template opened.
void ExpectWindow(const RunResult& result, int template_id) {
  ASSERT_FALSE(result.transcript.empty());
  EXPECT_EQ(result.transcript.front(), "dialog open " + std::to_string(template_id));
  EXPECT_EQ(result.transcript.back(), "exit code=0");
  EXPECT_EQ(result.exit_status, 0);
}

constexpr char kCloseAtOnce[] = "close\n";

TEST(TessalyStartupTest, AWindowsDirectoryThatDoesNotFitItsBufferIsMissing) {
  const TessalyRoot root;
  const RunResult result =
      root.Run(kCloseAtOnce, {{"TESSALY_WINDOWS_DIR", "/tmp/" + std::string(120, 'w')}});
  ExpectRefusal(result, kProductCaption,
                R"(Can't Get Windows Dir!\nHalcyra Software Upgrade will exit)");
}

TEST(TessalyStartupTest, AMissingSettingsFileOrSectionIsRefused) {
  const std::string text =
      R"(Can't Initialize setting!\nHalcyra Software Upgrade will exit!\nPlease reinstall application)";
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) { values.erase("CVM"); });
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, text);
  std::filesystem::remove(sample_root::SettingsFilePath(root.Path()));
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, text);
}

TEST(TessalyStartupTest, AModeWithATrailingDigitIsRefusedUnderTheShortCaption) {
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) { values["APP_TYPE"]["MODE"] = "VARSOLIN1"; });
  ExpectRefusal(root.Run(kCloseAtOnce), kShortCaption, kBadSettings);
}

TEST(TessalyStartupTest, AnEmptyVersionIsRefusedUnderTheShortCaption) {
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) { values["CVM"]["FileVer"] = ""; });
  ExpectRefusal(root.Run(kCloseAtOnce), kShortCaption, kBadSettings);
}

TEST(TessalyStartupTest, AProgramFilesFolderThatCannotBeDeterminedLeavesTheImagePathsEmpty) {
  const TessalyRoot root;
  const RunResult result =
      root.Run(kCloseAtOnce, {{"TESSALY_PROGRAM_FILES_DIR", "/tmp/" + std::string(300, 'p')}});
  ExpectRefusal(result, kShortCaption, kBadSettings);
}

TEST(TessalyStartupTest, CompositeAcceptsYesInAnyCaseButNotASingleLetter) {
  sample_root::Options composite;
  composite.composite = "yes";
  const TessalyRoot accepted(composite);
  ExpectWindow(accepted.Run(kCloseAtOnce), 1063);

  const TessalyRoot refused;
  refused.ChangeSettings([](auto& values) { values["DSP"]["Composite"] = "Y"; });
  ExpectRefusal(refused.Run(kCloseAtOnce), kProductCaption, kBadSettings);
}

TEST(TessalyStartupTest, AMissingCompanionImageStopsStartUpEvenWithoutUpgrades) {
  sample_root::Options nothing_to_upgrade;
  nothing_to_upgrade.upgrade = "NO";
  const TessalyRoot root(nothing_to_upgrade);
  ExpectWindow(root.Run(kCloseAtOnce), 1063);
  std::filesystem::remove(root.Firmware(sample_root::kBootBlockImageName));
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, kMissingFiles);
}

TEST(TessalyStartupTest, AMissingCompositeImageStopsStartUp) {
  const TessalyRoot root;
  std::filesystem::remove(root.Firmware(sample_root::kCompositeImageName));
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, kMissingFiles);
}

TEST(TessalyStartupTest, AFilePathWithoutItsLeadingBackslashRunsIntoTheFolderName) {
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) {
    values["CPLD"]["FilePath"] =
        std::string("Orvanta\\Halcyra Upgrade\\Firmware\\") + sample_root::kCpldImageName;
  });
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, kMissingFiles);
}

TEST(TessalyStartupTest, TheSignatureMustStandWhereTheCompositeSwitchSays) {
  const TessalyRoot plain_image;  // signature at offset 0 only
  plain_image.ChangeSettings([](auto& values) { values["DSP"]["Composite"] = "YES"; });
  ExpectRefusal(plain_image.Run(kCloseAtOnce), kProductCaption, kBadSignature);

  sample_root::Options composite;
  composite.composite = "YES";
  const TessalyRoot composite_image(composite);  // signature at 0x10004 only
  composite_image.ChangeSettings([](auto& values) { values["DSP"]["Composite"] = "NO"; });
  ExpectRefusal(composite_image.Run(kCloseAtOnce), kProductCaption, kBadSignature);
}

TEST(TessalyStartupTest, AShortDSPImageFailsTheSignatureCheck) {
  const TessalyRoot root;
  sample_root::WriteFile(root.Firmware(sample_root::kDspImageName),
                         std::vector<std::uint8_t>{0xCE, 0xFA, 0xDE});
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, kBadSignature);
}

TEST(TessalyStartupTest, AnInvalidRadioModuleSwitchAfterValidOnesIsRefused) {
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) { values["CVM"]["Upgrade"] = "MAYBE"; });
  ExpectRefusal(root.Run(kCloseAtOnce), kProductCaption, kBadSettings);
}

TEST(TessalyStartupTest, ALowerCaseModeWithABlankOpensTheEngineeringWindow) {
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) { values["APP_TYPE"]["MODE"] = "\t varsolin "; });
  const RunResult result = root.Run("dump 0\nclose\n");
  ExpectWindow(result, 104);
  EXPECT_EQ(result.transcript[1],
            "window 104 title=\"Welcome to Halcyra Software Upgrade4.7.0.0\"");
}

TEST(TessalyStartupTest, AnEmptyCPLDPathNamesTheProgramFilesFolderWhichIsFound) {
  const TessalyRoot root;
  root.ChangeSettings([](auto& values) { values["CPLD"]["FilePath"] = ""; });
  ExpectWindow(root.Run(kCloseAtOnce), 1063);
}

TEST(TessalyStartupTest, TheStatusProbeEmptiesTheFileInTheInstallFolder) {
  const TessalyRoot root;
  const std::filesystem::path probe =
      sample_root::HostPath(root.Path(), sample_root::kInstallDirectory) / "TessalyStatus.txt";
  std::ofstream(probe) << "an earlier run";
  ExpectWindow(root.Run(kCloseAtOnce), 1063);
  ASSERT_TRUE(std::filesystem::exists(probe));
  EXPECT_EQ(std::filesystem::file_size(probe), 0U);
}

TEST(TessalyStartupTest, WithoutTheRegistryValueTheProbeLandsInTheDriveRoot) {
  const TessalyRoot root;
  std::filesystem::remove(sample_root::RegistryInstallDirectoryPath(root.Path()));
  ExpectWindow(root.Run(kCloseAtOnce), 1063);
  EXPECT_TRUE(std::filesystem::exists(root.Path() / "TessalyStatus.txt"));
}

TEST(TessalyStartupTest, AnInstallDirectoryTooLongForItsBufferCountsAsMissing) {
  const TessalyRoot root;
  sample_root::WriteRegistryInstallDirectory(root.Path(), "C:\\" + std::string(260, 'i'));
  ExpectWindow(root.Run(kCloseAtOnce), 1063);
  EXPECT_TRUE(std::filesystem::exists(root.Path() / "TessalyStatus.txt"));
}

}  // namespace
