// The guided upgrade where it goes wrong: a console without a valid country code, detections
// that fail and the recovery through the BootROM button, no console at all, a console that
// cannot be found in the middle of the main table and the recovery through the Application
// Upgrade button, and a radio-module image that cannot be converted or whose download file
// cannot be written. Each time the user keeps a way out (Exit) and a way to start again
// (Upgrade), except while a recovery runs.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/app/guided_upgrade.h"
#include "tests/e2e/app/tessaly_process.h"

namespace {

using namespace guided_upgrade;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;

constexpr char kDumpButtons[] = "dump 1014\ndump 1\n";
// Ends the run through the system menu's Close, which must be enabled again too.
constexpr char kCloseWindow[] = "sysmenu 0xF060\n";

TEST(GuidedUpgradeFailureTest, AnInvalidCountryCodeStopsBeforeTheRadioModule) {
  const TessalyRoot root;
  const RunResult result = root.Run(
      std::string("click 1014\ntime\nanswer ok\ndump 1072\n") + kDumpButtons + kCloseWindow,
      root.Scenario(R"([{"default_replies": true, "replies": {"0xD01C": "03"}}])"));
  EXPECT_EQ(result.transcript,
            (Lines{"dialog open 1063", Time(kToDspImageSent + kAfterDspImageToRadioModule),
                   Box("1063",
                       R"(Upgrade aborted, Invalid Country Code programmed on the console!!!\r\n)",
                       "information"),
                   "control 1072 text=\"\" enabled=1 visible=0", kUpgradeEnabled, kExitEnabled,
                   kMainWindowClosed, kExited}));
  EXPECT_EQ(root.Record(), Join({FirstDetectionRecord(), CpldRecord(root), DspRecord(root),
                                 SecondDetectionRecord()}));
}

constexpr char kMenuInstructions[] =
    R"(1.  Ensure Halcyra console is powered \t\t\t     using AC charger or a fully charged battery \n\n2.  Ensure USB cable is securely connected to \t\t\t     Halcyra console and the computer\n\n3.  On the Halcyra console:\n\n      a.  Press the MENU button\n\n      b.  Using the down arrow button, scroll to ADMIN SETUP\n\n      c.  Press the SELECT button\n\n      d.  Scroll to SOFTWARE UPGRADE\n\n      e.  Press the SELECT button\n\n      f.   Press the START button\n\n4.  Click the UPGRADE button below to begin)";
constexpr char kDetectionFailedText[] = R"(ERROR: Halcyra DETECTION FAILED.\r\n)";

TEST(GuidedUpgradeFailureTest, TwoFailedDetectionsLeadToTheBootRomRecoveryAndOnToTheVerdict) {
  const TessalyRoot root;
  const Bytes image = WriteRadioModuleImage(root);
  // The console ignores the first two enable-USB requests: each detection ends in its time-out.
  const RunResult result = root.Run(
      std::string("click 1014\nwait idle\ntime\ndump 1056\ndump 1057\ndump 1072\n") + kDumpButtons +
          "click 1014\nwait dialog 177\ntime\nclick 1020\nwait dialog 1089\ntime\nclick "
          "1091\nclick 1090\nanswer ok\ndump 1056\n" +
          kDumpMainWindowAndClose,
      root.Scenario(R"([{"default_replies": true,
          "faults": [{"command": "0xD0AA", "kind": "no-reply", "times": 2}]}])"));
  // Reset delay, two identifies, then the enable-USB reply time-out.
  constexpr int kFailedDetection = 10000 + 2000 + 2000 + 20000;
  // The recovery table's identify; the composite image then goes on as any DSP image.
  constexpr int kRecoveryIdentify = 1000;
  constexpr int kRecoveryShown = 2 * kFailedDetection;
  EXPECT_EQ(
      result.transcript,
      (Lines{
          "dialog open 1063", Time(kFailedDetection),
          std::string("control 1056 text=\"") + kDetectionFailedText +
              "\" enabled=1 visible=1 color=#ff0000",
          std::string("control 1057 text=\"") + kMenuInstructions + "\" enabled=1 visible=1",
          std::string("control 1072 text=\"") + kDetectionFailedText + "\" enabled=1 visible=1",
          kUpgradeEnabled, kExitEnabled, "dialog open 177", Time(kRecoveryShown),
          "dialog close 177 result=1", "dialog open 1089",
          Time(kRecoveryShown + kRecoveryIdentify + kAfterDspImageToRadioModule +
               kRadioModuleToVerdict),
          "dialog close 1089 result=2", Box("1063", kReadyText, "none"),
          // The second Upgrade put the start title back; the reset after the verdict ends its
          // red.
          R"(control 1056 text="IMPORTANT:  PLEASE FOLLOW THE STEPS BELOW.\r\n" enabled=1 visible=1)",
          kUpgradeEnabled, kExitEnabled, kStatusLineEmpty, WarningLine(false), kMainWindowClosed,
          kExited}));
  EXPECT_EQ(root.Record(), Join({{"reset", Request(kEnableUsb), "reset", Request(kEnableUsb),
                                  tessaly_e2e::FileRecordLine(tessaly_e2e::StreamOfFile(
                                      root.Firmware(sample_root::kCompositeImageName)))},
                                 SecondDetectionRecord(),
                                 RadioModuleRecord(image),
                                 VerificationRecord()}));
}

TEST(GuidedUpgradeFailureTest, WithoutAConsoleEachUpgradeEndsInTheRecoveryDialogOnce) {
  const TessalyRoot root;
  const RunResult result = root.Run(
      std::string("click 1014\nwait dialog 177\ntime\nclose\n") + kDumpButtons +
          "click 1014\nwait dialog 177\ntime\nsysmenu 0xF060\n" + kDumpButtons + kCloseWindow,
      root.Scenario("[]"));
  // The detection's reset step waits its own time-out for each of its four tries.
  constexpr int kResetTimeOut = 25000;
  constexpr int kResetTries = 4;
  const std::string reset_failed =
      "box thread=worker owner=none caption=\"Halcyra Upgrade\" text=\"Device Reset Failed!\" "
      "icon=none buttons=ok answer=ok auto";
  const Lines one_upgrade(kResetTries, reset_failed);
  EXPECT_EQ(result.transcript, Join({{"dialog open 1063"},
                                     one_upgrade,
                                     {"dialog open 177", Time(kResetTries * kResetTimeOut),
                                      "dialog close 177 result=2", kUpgradeEnabled, kExitEnabled},
                                     one_upgrade,
                                     {"dialog open 177", Time(2 * kResetTries * kResetTimeOut),
                                      "dialog close 177 result=2", kUpgradeEnabled, kExitEnabled,
                                      kMainWindowClosed, kExited}}));
  EXPECT_TRUE(root.Record().empty());
}

// From the reset-console request on, the read after the next one finds no console for the
// identify of the main table's row 6 and its three retries; the read after them finds it again.
constexpr int kIdentifyTries = 4;
const std::string kConsoleLostAtIdentify =
    R"([{"default_replies": true, "hide_after": [{"after": "0xD0AB", "skip": 1, "times": )" +
    std::to_string(kIdentifyTries) + "}]}]";
constexpr int kIdentifyAbortAt = kFirstDetection + kCpldRowsBeforeIdentify;

Lines RecordUpToTheIdentifyAbort() {
  return Join({FirstDetectionRecord(),
               {Request(kEnableUsb), Request(kResetConsole), Request(kEnableUsb)},
               Lines(kIdentifyTries, "hidden")});
}

TEST(GuidedUpgradeFailureTest, AConsoleLostAtTheMainTablesIdentifyAbortsWithOneRecoveryDialog) {
  const TessalyRoot root;
  const RunResult result =
      root.Run(std::string("click 1014\nwait dialog 177\ntime\nclose\nwait idle\ntime\n") +
                   kDumpButtons + kCloseWindow,
               root.Scenario(kConsoleLostAtIdentify));
  EXPECT_EQ(result.transcript, (Lines{"dialog open 1063", "dialog open 177", Time(kIdentifyAbortAt),
                                      "dialog close 177 result=2", Time(kIdentifyAbortAt),
                                      kUpgradeEnabled, kExitEnabled, kMainWindowClosed, kExited}));
  // Nothing is sent after the abort.
  EXPECT_EQ(root.Record(), RecordUpToTheIdentifyAbort());
}

TEST(GuidedUpgradeFailureTest, ApplicationUpgradeAfterTheMainTablesAbortSendsTheDspImageAndGoesOn) {
  const TessalyRoot root;
  const Bytes image = WriteRadioModuleImage(root);
  // The download takes no program time, and the window takes no message while it sleeps through
  // the waits after it: the looks asked for just after the click are taken when it wakes from
  // them, as the second detection begins.
  const RunResult result = root.Run(
      std::string("click 1014\nwait dialog 177\ntime\nclick 1079\npause 1\n") +
          "dump 1014 now\ndump 1 now\ndump 1072 now\ndump 1071 now\ndump 1008 now\n" +
          "wait dialog 1089\ntime\nclick 1091\nclick 1090\nanswer ok\n" + kDumpMainWindowAndClose,
      root.Scenario(kConsoleLostAtIdentify));
  const fs::path dsp_image = root.Firmware(sample_root::kDspImageName);
  const std::uintmax_t dsp_bytes = fs::file_size(dsp_image);
  EXPECT_EQ(
      result.transcript,
      Join(
          {{"dialog open 1063", "dialog open 177", Time(kIdentifyAbortAt),
            "dialog close 177 result=1", "control 1014 text=\"Upgrade\" enabled=0 visible=1",
            "control 1 text=\"Exit\" enabled=0 visible=1",
            R"(control 1072 text="Step 3 of 6 - Preparing Halcyra for radio firmware upgrade...\r\n" enabled=1 visible=1)",
            WarningLine(true),
            // The whole image went through: the bar stands at its half, as for a first download.
            "control 1008 text=\"\" enabled=1 visible=1 pos=" + std::to_string(dsp_bytes / 2) +
                " range=0.." + std::to_string(dsp_bytes),
            "dialog open 1089",
            Time(kIdentifyAbortAt + kAfterDspImageToRadioModule + kRadioModuleToVerdict),
            "dialog close 1089 result=2", Box("1063", kReadyText, "none")},
           {kUpgradeEnabled, kExitEnabled, kStatusLineEmpty, WarningLine(false), kMainWindowClosed,
            kExited}}));
  // The settings' DSP image, then the second detection, the radio module and its verification.
  EXPECT_EQ(root.Record(),
            Join({RecordUpToTheIdentifyAbort(),
                  {tessaly_e2e::FileRecordLine(tessaly_e2e::StreamOfFile(dsp_image))},
                  SecondDetectionRecord(),
                  RadioModuleRecord(image),
                  VerificationRecord()}));
}

// The upgrade with a radio-module image that cannot be prepared: the conversion box where the
// header would go, nothing sent after it, Upgrade and Exit enabled again, and neither the binary
// file nor the temporary file left behind.
void RunToAFailedPreparation(const TessalyRoot& root) {
  const RunResult result =
      root.Run(std::string("click 1014\ntime\nanswer ok\n") + kDumpButtons + kCloseWindow,
               root.Scenario(kDefaultConsole));
  EXPECT_EQ(
      result.transcript,
      (Lines{"dialog open 1063",
             Time(kToDspImageSent + kAfterDspImageToRadioModule + kRadioModuleRowsBeforeHeader),
             Box("1063", "CVM file conversion failed, Aborting the upgrade", "error"),
             kUpgradeEnabled, kExitEnabled, kMainWindowClosed, kExited}));
  EXPECT_EQ(root.Record(), Join({FirstDetectionRecord(), CpldRecord(root), DspRecord(root),
                                 SecondDetectionRecord(), RadioModuleRecordBeforeHeader()}));
  for (const fs::path& made : {root.Firmware(sample_root::kCvmImageName).replace_extension("bin"),
                               root.Path() / "testCVM.bin"}) {
    EXPECT_FALSE(fs::exists(made)) << made;
  }
}

TEST(GuidedUpgradeFailureTest, ADownloadFileNameTakenByAFolderAbortsAndLeavesTheFolderAlone) {
  const TessalyRoot root;
  const fs::path folder = root.Firmware(sample_root::kCvmImageName).replace_extension("cvm");
  sample_root::WriteFile(folder / "notes.txt", std::string("not the program's"));
  RunToAFailedPreparation(root);
  const std::vector<std::uint8_t> notes = tessaly_e2e::ReadBytes(folder / "notes.txt");
  EXPECT_EQ(std::string(notes.begin(), notes.end()), "not the program's");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

struct MalformedHex {
  const char* name;
  const char* text;
  friend void PrintTo(const MalformedHex& hex, std::ostream* out) { *out << hex.name; }
};

class MalformedHexTest : public testing::TestWithParam<MalformedHex> {};

TEST_P(MalformedHexTest, AbortsBeforeTheHeaderAndLeavesNoFileBehind) {
  const TessalyRoot root;
  const fs::path hex = root.Firmware(sample_root::kCvmImageName);
  sample_root::WriteFile(hex, std::string(GetParam().text));
  RunToAFailedPreparation(root);
  EXPECT_FALSE(fs::exists(fs::path(hex).replace_extension("cvm")));
}

INSTANTIATE_TEST_SUITE_P(
    GuidedUpgradeFailureTest, MalformedHexTest,
    testing::Values(
        MalformedHex{"NotAHexDigit",
                     ":020000040001F9\r\n:10000000ZZ0102030405060708090A0B0C0D0E0F00\r\n"
                     ":00000001FF\r\n"},
        MalformedHex{"WrongChecksum",
                     ":020000040001F9\r\n:10000000000102030405060708090A0B0C0D0E0F00\r\n"
                     ":00000001FF\r\n"}),
    NamedCase());

}  // namespace
