// The guided upgrade in the wizard window run to its end on the simulated console: what the
// console receives, when the status question comes, what each of its answers leads to, and the
// upgrades that leave a part out or end in a failed verification.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/app/guided_upgrade.h"
#include "tests/e2e/app/tessaly_process.h"

namespace {

using namespace guided_upgrade;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;

constexpr char kImportantText[] =
    R"(\nImportant! Please read and follow the instructions below carefully\n)";
constexpr char kSearchingText[] =
    R"(The phone console is searching for the radio signal from the base station.\r\n\nThis process will complete or time out after one minute and display will change to Ready or No Signal\r\n\nPlease select the option below that matches what you see on the phone display:\r\n)";
constexpr char kNoSignalText[] =
    R"(Your phone is not detecting a base station it is registered to.  Follow steps below to register the phone to the base station.\r\n\n1. The Halcyra console and base station originally shipped together have matching serial numbers which can be used to confirm the original pair. Alternatively the Halcyra can be registered to any base station by following steps below.\r\n\n2. Confirm that the base station is plugged in and receiving power (status light is on)\r\n\n3. Use the phone console menu to manually initiate the Registration process:\r\nPush the MENU key ->select ADMIN ->select REGISTRATION\r\n\n4. Press Register softkey on the Halcyra\r\n\n5. Follow the instructions on the Halcyra's display to complete registration.\r\n\n)";
constexpr char kChooseText[] = "Choose one of the listed options and then click Next";
constexpr char kNotSuccessfulText[] =
    R"(Upgrade was NOT successful.\n\nPlease close and re-open this application.\n\nThen power cycle the console and restart the upgrade.\n)";

static_assert(kQuestionAt == 398000);

// The main window after the verdict: buttons back, status line empty, warning hidden, and the
// window ends through its Close command.
Lines EndAfterVerdict() {
  return {kUpgradeEnabled,    kExitEnabled,      kStatusLineEmpty,
          WarningLine(false), kMainWindowClosed, kExited};
}

std::string ReadyBox() { return Box("1063", kReadyText, "none"); }

TEST(GuidedUpgradeTest, TheWholeUpgradeReachesTheStatusQuestionWhenTablesAndWaitsAddUp) {
  const TessalyRoot root;
  const Bytes image = WriteRadioModuleImage(root);
  const RunResult result = root.Run(std::string(kStartAndReachQuestion) +
                                        "dump 0\ndump 1082\nclick 1091\nclick 1090\nanswer ok\n" +
                                        kDumpMainWindowAndClose,
                                    root.Scenario(kDefaultConsole));
  EXPECT_EQ(result.transcript,
            Join({{"dialog open 1063", "dialog open 1089", Time(kQuestionAt),
                   "window 1089 title=\"Halcyra Upgrade\"",
                   std::string("control 1082 text=\"") + kImportantText + "\" enabled=1 visible=1",
                   "dialog close 1089 result=2", ReadyBox()},
                  EndAfterVerdict()}));
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(root.Record(), WholeUpgradeRecord(root, image));
}

struct StatusAnswer {
  const char* name;
  std::string script;  // from the status question on
  Lines transcript;    // after the line with the question's time
  friend void PrintTo(const StatusAnswer& answer, std::ostream* out) { *out << answer.name; }
};

class StatusQuestionTest : public testing::TestWithParam<StatusAnswer> {};

TEST_P(StatusQuestionTest, EachAnswerLeadsToItsFollowUpWithoutTalkingToTheConsole) {
  const TessalyRoot root;
  const Bytes image = WriteRadioModuleImage(root);
  const RunResult result =
      root.Run(std::string(kStartAndReachQuestion) + GetParam().script + kDumpMainWindowAndClose,
               root.Scenario(kDefaultConsole));
  EXPECT_EQ(result.transcript, Join({{"dialog open 1063", "dialog open 1089", Time(kQuestionAt)},
                                     GetParam().transcript,
                                     EndAfterVerdict()}));
  EXPECT_EQ(root.Record(), WholeUpgradeRecord(root, image));
}

std::string Control(int id, const std::string& text) {
  return "control " + std::to_string(id) + " text=\"" + text + "\" enabled=1 visible=1";
}

INSTANTIATE_TEST_SUITE_P(
    GuidedUpgradeTest, StatusQuestionTest,
    testing::Values(
        StatusAnswer{"Ready",
                     "click 1091\nclick 1090\nanswer ok\n",
                     {"dialog close 1089 result=2", ReadyBox()}},
        StatusAnswer{"NoSignal",
                     "click 1093\nclick 1090\nanswer ok\n",
                     {"dialog close 1089 result=2", Box("1063", kNoSignalText, "none")}},
        StatusAnswer{
            "SearchingThenReady",
            "click 1092\nclick 1090\nwait dialog 1095\ndump 1097\nclick 1096\nanswer ok\n"
            "dump 0\nclick 1098\nclick 1096\nanswer ok\n",
            {"dialog close 1089 result=2", "dialog open 1095", Control(1097, kSearchingText),
             Box("1095", kChooseText, "none"), "window 1095 title=\"Halcyra Upgrade\"",
             "dialog close 1095 result=2", ReadyBox()}},
        StatusAnswer{
            "SearchingThenNoSignal",
            "click 1092\nclick 1090\nwait dialog 1095\nclick 1099\nclick 1096\nanswer ok\n",
            {"dialog close 1089 result=2", "dialog open 1095", "dialog close 1095 result=2",
             Box("1063", kNoSignalText, "none")}},
        StatusAnswer{
            "NotRegistered",
            "click 1094\nclick 1090\nwait dialog 178\ndump 1082\ndump 1083\ndump 1084\ndump "
            "1085\nclick 1\n",
            {"dialog close 1089 result=2", "dialog open 178", Control(1082, kImportantText),
             Control(1083, "Halcyra software upgrade was successful"),
             Control(1084, "Following steps must be performed to complete the upgrade process:"),
             Control(
                 1085,
                 R"(\t1.   Press the REGISTER soft key on the Halcyra\n\n\t2.   Follow the instruction on the Halcyra's display to complete registration)"),
             "dialog close 178 result=1"}},
        StatusAnswer{"NothingChosenKeepsTheQuestionOpen",
                     "click 1090\nanswer ok\ndump 0\nclick 1091\nclick 1090\nanswer ok\n",
                     {Box("1089", kChooseText, "none"), "window 1089 title=\"Halcyra Upgrade\"",
                      "dialog close 1089 result=2", ReadyBox()}},
        StatusAnswer{"ClosedWithoutAnswer", "close\n", {"dialog close 1089 result=2"}}),
    NamedCase());

TEST(GuidedUpgradeTest, WithoutTheCpldUpgradeItsRowsAreSkippedAndTheRestRunsAsBefore) {
  const TessalyRoot root;
  root.ChangeSettings(
      [](sample_root::SettingsValues& values) { values["CPLD"]["Upgrade"] = "NO"; });
  const Bytes image = WriteRadioModuleImage(root);
  const RunResult result = root.Run(std::string(kStartAndReachQuestion) + "close\nclick 1\n",
                                    root.Scenario(kDefaultConsole));
  // The fixed waits: before the DSP image, after it, before the second detection and after the
  // radio-module image.
  constexpr int kFixedWaits = kWaitBeforeDspImage + kWaitAfterDspImage +
                              kWaitBeforeSecondDetection + kWaitAfterRadioModuleImage;
  static_assert(kFixedWaits == 180000);
  constexpr int kStepDelays = kFirstDetection + kDspRows + kSecondDetection +
                              kRadioModuleRowsBeforeHeader + kHeaderRow + kVerificationRows;
  EXPECT_EQ(result.transcript,
            (Lines{"dialog open 1063", "dialog open 1089", Time(kStepDelays + kFixedWaits),
                   "dialog close 1089 result=2", kMainWindowClosed, kExited}));
  EXPECT_EQ(root.Record(), Join({FirstDetectionRecord(), DspRecord(root), SecondDetectionRecord(),
                                 RadioModuleRecord(image), VerificationRecord()}));
}

TEST(GuidedUpgradeTest, ADspOnlyUpgradeEndsWithTheCompleteBoxAndAsksTheRadioModuleNothing) {
  const TessalyRoot root;
  root.ChangeSettings([](sample_root::SettingsValues& values) { values["CVM"]["Upgrade"] = "NO"; });
  const RunResult result =
      root.Run(std::string("click 1014\ntime\nanswer ok\n") + kDumpMainWindowAndClose,
               root.Scenario(kDefaultConsole));
  // The flow is reset after the wait that follows the DSP image; the warning stays.
  EXPECT_EQ(result.transcript,
            (Lines{"dialog open 1063", Time(kToDspImageSent + kWaitAfterDspImage),
                   Box("1063", "Software upgrade is complete.", "information"), kUpgradeEnabled,
                   kExitEnabled, kStatusLineEmpty, WarningLine(true), kMainWindowClosed, kExited}));
  EXPECT_EQ(root.Record(), Join({FirstDetectionRecord(), CpldRecord(root), DspRecord(root)}));
}

struct FailedVerification {
  const char* name;
  const char* cvm_file_version;  // the settings' expected radio-module version
  const char* devices;
  friend void PrintTo(const FailedVerification& failure, std::ostream* out) {
    *out << failure.name;
  }
};

class FailedVerificationTest : public testing::TestWithParam<FailedVerification> {};

TEST_P(FailedVerificationTest, EndsInTheErrorBoxAndGivesTheButtonsBack) {
  const TessalyRoot root;
  root.ChangeSettings([](sample_root::SettingsValues& values) {
    values["CVM"]["FileVer"] = GetParam().cvm_file_version;
  });
  const Bytes image = WriteRadioModuleImage(root);
  const RunResult result =
      root.Run(std::string("click 1014\ntime\nanswer ok\n") + kDumpMainWindowAndClose,
               root.Scenario(GetParam().devices));
  EXPECT_EQ(result.transcript,
            Join({{"dialog open 1063", Time(kQuestionAt), Box("1063", kNotSuccessfulText, "error")},
                  EndAfterVerdict()}));
  EXPECT_EQ(root.Record(), WholeUpgradeRecord(root, image));
}

INSTANTIATE_TEST_SUITE_P(
    GuidedUpgradeTest, FailedVerificationTest,
    testing::Values(
        FailedVerification{"RadioStatusZero", "1.10",
                           R"([{"default_replies": true, "replies": {"0xD0AE": "00"}}])"},
        FailedVerification{
            "OtherVersionAfterTheImage", "1.10",
            R"([{"default_replies": true, "after_image": {"cvm": {"0xD003": "11 01"}}}])"},
        // The console reports 1.1a: only the letter case differs from the settings' text.
        FailedVerification{
            "VersionDiffersInLetterCase", "1.1A",
            R"([{"default_replies": true, "after_image": {"cvm": {"0xD003": "1A 01"}}}])"}),
    NamedCase());

}  // namespace
