// Console parameters sent from the engineering window: the parameter file of the console's
// country code goes out in three slices, one step every 20 seconds, while the panel waits. Their
// last step delay is the one a later download of the panel waits.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::FileDialogLine;
using tessaly_e2e::FileRecordLine;
using tessaly_e2e::RequestRecordLine;
using tessaly_e2e::RunResult;
using tessaly_e2e::SendCommand;
using tessaly_e2e::StatusBoxLine;
using tessaly_e2e::TessalyRoot;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

constexpr int kValueCount = 100;  // more than the 96 the block holds
constexpr std::size_t kFieldsPerLine = 7;

// Value k of the file: above 0xFF, so that only its low byte counts.
unsigned ValueAt(int index) { return 0x100U + static_cast<unsigned>(index) * 3U; }

// A parameter file with CRLF line ends, skip words and the "no value" 0xFFFF between the values,
// written with and without the 0x prefix.
std::string ParameterFile() {
  std::vector<std::string> fields;
  for (int index = 0; index < kValueCount; ++index) {
    char field[16];
    std::snprintf(field, sizeof field, index % 2 == 0 ? "0x%X" : "%x", ValueAt(index));
    fields.emplace_back(field);
    if (index % 5 == 0) fields.insert(fields.end(), {"FFFF", "MSB"});
    if (index % 5 == 3) fields.emplace_back("0xFFFF");
  }
  std::string text = "Data,LSB,MSB\r\n";
  for (std::size_t index = 0; index < fields.size(); ++index) {
    text += fields[index];
    const bool line_full = index % kFieldsPerLine == kFieldsPerLine - 1;
    text += line_full || index + 1 == fields.size() ? "\r\n" : ",";
  }
  return text;
}

// Payload of step `step` (1 to 3): block bytes 0-29 and two fill bytes, then 30-61, then 62-93.
Bytes Slice(int step) {
  constexpr int kFirstSliceValues = 30;
  constexpr int kSliceSize = 32;
  const int first = step == 1 ? 0 : kFirstSliceValues + (step - 2) * kSliceSize;
  const int count = step == 1 ? kFirstSliceValues : kSliceSize;
  Bytes payload;
  for (int index = first; index < first + count; ++index) {
    payload.push_back(static_cast<std::uint8_t>(ValueAt(index)));
  }
  payload.resize(kSliceSize, 0xFF);
  return payload;
}

std::string StepLines(int step) {
  return "OnExecuteConsoleParamList: Init Task# :" + std::to_string(step) +
         "\r\n"
         "\r\nUpgrade console parameters response received\r\n"
         "\r\nWaiting for task completion\r\n";
}

std::string Control(int id, const char* text, bool enabled) {
  return "control " + std::to_string(id) + " text=\"" + text +
         "\" enabled=" + (enabled ? "1" : "0") + " visible=1";
}

// Country code 2 (the reply to 0xD01C in the scenarios below) reads the DECT60 file.
void WriteParameterFile(const TessalyRoot& root) {
  sample_root::WriteFile(sample_root::HostPath(root.Path(), sample_root::kInstallDirectory) /
                             "Halcyra Upgrade" / "ConsoleORVTDefaultsDECT60.csv",
                         ParameterFile());
}

TEST(EngineeringConsoleParamsTest, ThreeSlicesTwentySecondsApartWhileThePanelWaits) {
  const TessalyRoot root = EngineeringRoot();
  WriteParameterFile(root);
  // Each look just before and just after a step boundary shows which step holds the box.
  const std::string script = SendCommand("UPD_GET_RADIO_MODE") +
                             "select 1039 \"UPD_INIT_UPGRADE_CONSOLEPARAMS\"\n"
                             "time\n"
                             "click 1023\n"
                             "pause 19999\ntime now\ndump 1000 now\ndump 1023 now\ndump 1 now\n"
                             "pause 2\ntime now\ndump 1000 now\n"
                             "pause 19998\ntime now\ndump 1000 now\n"
                             "pause 2\ntime now\ndump 1000 now\n"
                             "pause 19998\ntime now\ndump 1024 now\ndump 1 now\n"
                             "time\ndump 1023\ndump 1\nclose\n";
  const RunResult result = root.Run(
      script, root.Scenario(R"([{"default_replies": true, "replies": {"0xD01C": "02"}}])"));

  EXPECT_EQ(result.transcript, (Lines{
                                   "dialog open 104",
                                   "time ms=0",
                                   "time ms=19999",
                                   StatusBoxLine(StepLines(1)),
                                   Control(1023, "Send Command", false),
                                   Control(1, "&Close", false),
                                   "time ms=20001",
                                   StatusBoxLine(StepLines(2)),
                                   "time ms=39999",
                                   StatusBoxLine(StepLines(2)),
                                   "time ms=40001",
                                   StatusBoxLine(StepLines(3)),
                                   "time ms=59999",
                                   Control(1024, "Send FW", false),
                                   Control(1, "&Close", false),
                                   "time ms=60000",
                                   Control(1023, "Send Command", true),
                                   Control(1, "&Close", true),
                                   "dialog close 104 result=1",
                                   "exit code=0",
                               }));
  EXPECT_EQ(root.Record(),
            (Lines{RequestRecordLine("0xD01C"), RequestRecordLine("0xD00B", Slice(1)),
                   RequestRecordLine("0xD00B", Slice(2)), RequestRecordLine("0xD00B", Slice(3))}));
  EXPECT_EQ(root.StatusFile(),
            "\r\nCountry code: 2\r\n" + StepLines(1) + StepLines(2) + StepLines(3));
}

// Script lines that look at the panel's job buttons: at once, or once the program has settled.
std::string LookAtJobButtons(bool now) {
  const std::string when = now ? " now\n" : "\n";
  return "time" + when + "dump 1022" + when + "dump 1023" + when + "dump 1024" + when;
}

// What LookAtJobButtons writes at `ms`.
Lines JobButtonsAt(int ms, bool enabled) {
  return {"time ms=" + std::to_string(ms), Control(1022, "&Detect USB Device", enabled),
          Control(1023, "Send Command", enabled), Control(1024, "Send FW", enabled)};
}

TEST(EngineeringConsoleParamsTest, ACommandDuringADownloadsStepDelayKeepsThePanelToItsTimeOut) {
  const TessalyRoot root = EngineeringRoot();
  WriteParameterFile(root);
  const std::filesystem::path cpld = root.Firmware(sample_root::kCpldImageName);
  // The parameters end at 60 s. The CPLD download that follows ends at once and waits their last
  // step delay, to 80 s; the command clicked at 65 s gets no reply and times out at 85 s.
  const std::string download =
      "select 1040 \"CPLD Firmware\"\nfile \"" + cpld.string() + "\"\nclick 1024\n";
  const std::string command_at_once = "select 1039 \"UPD_GET_CPLD_FW_VER\" now\nclick 1023 now\n";
  const std::string script =
      SendCommand("UPD_GET_RADIO_MODE") + SendCommand("UPD_INIT_UPGRADE_CONSOLEPARAMS") + download +
      "pause 5000\n" + LookAtJobButtons(true) + command_at_once + "pause 14999\n" +
      LookAtJobButtons(true) + "pause 2\n" + LookAtJobButtons(true) + "pause 4998\n" +
      LookAtJobButtons(true) + LookAtJobButtons(false) + "close\n";
  const RunResult result = root.Run(script, root.Scenario(R"([{"default_replies": true,
      "replies": {"0xD01C": "02"},
      "faults": [{"command": "0xD001", "kind": "no-reply"}]}])"));

  Lines expected = {"dialog open 104", FileDialogLine(tessaly_e2e::kCpldFilter, cpld.string())};
  for (const Lines& look :
       {JobButtonsAt(65000, true), JobButtonsAt(79999, false), JobButtonsAt(80001, false),
        JobButtonsAt(84999, false), JobButtonsAt(85000, true)}) {
    expected.insert(expected.end(), look.begin(), look.end());
  }
  expected.insert(expected.end(), {"dialog close 104 result=1", "exit code=0"});
  EXPECT_EQ(result.transcript, expected);
  EXPECT_EQ(root.Record(),
            (Lines{RequestRecordLine("0xD01C"), RequestRecordLine("0xD00B", Slice(1)),
                   RequestRecordLine("0xD00B", Slice(2)), RequestRecordLine("0xD00B", Slice(3)),
                   FileRecordLine(tessaly_e2e::StreamOfFile(cpld)), RequestRecordLine("0xD001")}));
  EXPECT_EQ(root.StatusFile(), "\r\nCountry code: 2\r\n" + StepLines(1) + StepLines(2) +
                                   StepLines(3) +
                                   "\r\nDownload Finished\r\n\r\nWaiting for task completion\r\n" +
                                   tessaly_e2e::kNoResponseText);
}

}  // namespace
