// Single jobs from the engineering window on the built-in console: commands and the status box,
// Clear Window, Detect and Reset, and a command the console does not answer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::RequestRecordLine;
using tessaly_e2e::RunResult;
using tessaly_e2e::SendCommand;
using tessaly_e2e::StatusBoxLine;
using tessaly_e2e::TessalyRoot;
using Lines = std::vector<std::string>;

constexpr char kBuiltInConsole[] = "[{}]";
constexpr char kDspVersion[] = "\r\nDSP Flash F/W version: QVX.CON.01.511\r\n";
constexpr char kEnableUsb[] = "\r\nValid Enable USB response received\r\n";
constexpr char kCpldVersion[] = "\r\nCPLD  F/W version: C106\r\n";
constexpr char kEnableUsbUpgrade[] = "\r\nValid Enable USB Upgrade response received\r\n";

std::string Found(int device) {
  return "\r\n(TMX320VC5509) Device detected as " + std::to_string(device) + "\r\n";
}

TEST(EngineeringCommandTest, ClearWindowEmptiesTheStatusBoxFromTheNextLineOn) {
  const TessalyRoot root = EngineeringRoot();
  const RunResult result =
      root.Run(SendCommand("UPD_GET_DSPFLASH_FW_VER") + SendCommand("UPD_ENABLE_USB") +
                   "dump 1000\nclick 1013\ndump 1000\n" + SendCommand("UPD_GET_CPLD_FW_VER") +
                   "dump 1000\nclick 1\n",
               root.Scenario(kBuiltInConsole));
  const std::string before_clearing = std::string(kDspVersion) + kEnableUsb;
  EXPECT_EQ(result.transcript, (Lines{
                                   "dialog open 104",
                                   StatusBoxLine(before_clearing),
                                   StatusBoxLine(before_clearing),
                                   StatusBoxLine(kCpldVersion),
                                   "dialog close 104 result=1",
                                   "exit code=0",
                               }));
  EXPECT_EQ(root.StatusFile(), before_clearing + kCpldVersion) << "the file keeps every line";
  EXPECT_EQ(root.Record(), (Lines{RequestRecordLine("0xD002"), RequestRecordLine("0xD0AA"),
                                  RequestRecordLine("0xD001")}));
}

TEST(EngineeringCommandTest, DetectFindsTheConsoleAndAResetReportsItselfAsDeviceOne) {
  const TessalyRoot root = EngineeringRoot();
  const RunResult result = root.Run("click 1022\nclick 1081\nclick 1022\ndump 1000\nclick 1\n",
                                    root.Scenario(kBuiltInConsole));
  const std::string lines = Found(0) + Found(1) + Found(0);
  EXPECT_EQ(result.transcript, (Lines{"dialog open 104", StatusBoxLine(lines),
                                      "dialog close 104 result=1", "exit code=0"}));
  EXPECT_EQ(root.StatusFile(), lines);
  EXPECT_EQ(root.Record(), (Lines{"reset"}));
}

TEST(EngineeringCommandTest, AnUnansweredCommandTimesOutOnceAndGivesThePanelBack) {
  const TessalyRoot root = EngineeringRoot();
  const RunResult result =
      root.Run(SendCommand("UPD_ENABLE_USB_UPGRADE") +
                   "pause 19999\ndump 1023 now\ndump 1039 now\ntime\ndump 1023\ndump 1039\n" +
                   SendCommand("UPD_ENABLE_USB_UPGRADE") + "dump 1000\nclick 1\n",
               root.Scenario(R"([{"faults": [{"command": "0xD0AC", "kind": "no-reply"}]}])"));
  constexpr int kEnableUsbUpgradeItem = 16;
  auto list = [](bool enabled) {
    return tessaly_e2e::CommandListLine("UPD_ENABLE_USB_UPGRADE", kEnableUsbUpgradeItem, enabled);
  };
  EXPECT_EQ(result.transcript,
            (Lines{
                "dialog open 104",
                R"(control 1023 text="Send Command" enabled=0 visible=1)",
                list(false),
                "time ms=20000",
                R"(control 1023 text="Send Command" enabled=1 visible=1)",
                list(true),
                StatusBoxLine(std::string(tessaly_e2e::kNoResponseText) + kEnableUsbUpgrade),
                "dialog close 104 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(root.StatusFile(), std::string(tessaly_e2e::kNoResponseText) + kEnableUsbUpgrade)
      << "no retry in the engineering window";
  EXPECT_EQ(root.Record(), (Lines{RequestRecordLine("0xD0AC"), RequestRecordLine("0xD0AC")}));
}

TEST(EngineeringCommandTest, ACommandSentAfterAnotherTimedOutTakesItsOwnReplyNotTheLateOne) {
  const TessalyRoot root = EngineeringRoot();
  // The DSP version's reply comes 25 s late; the CPLD version goes out between its time-out and
  // that reply, and its own reply comes behind the late one.
  const RunResult result =
      root.Run(SendCommand("UPD_GET_DSPFLASH_FW_VER") +
                   "pause 20500\nselect 1039 \"UPD_GET_CPLD_FW_VER\" now\nclick 1023 now\n"
                   "dump 1000\nclick 1\n",
               root.Scenario(R"([{"default_replies": true,
          "faults": [{"command": "0xD002", "kind": "delay", "ms": 25000}]}])"));
  const std::string lines = std::string(tessaly_e2e::kNoResponseText) + kCpldVersion;
  EXPECT_EQ(result.transcript, (Lines{"dialog open 104", StatusBoxLine(lines),
                                      "dialog close 104 result=1", "exit code=0"}));
  EXPECT_EQ(root.Record(), (Lines{RequestRecordLine("0xD002"), RequestRecordLine("0xD001")}));
}

}  // namespace
