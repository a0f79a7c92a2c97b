// Choices the engineering panel refuses: each says why, and nothing reaches the console.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;
using Lines = std::vector<std::string>;

TEST(EngineeringBadChoiceTest, EachRefusalSaysWhyAndSendsNothing) {
  const TessalyRoot root = EngineeringRoot();
  const std::string settings = sample_root::SettingsFilePath(root.Path()).string();
  const std::string cpld = root.Firmware(sample_root::kCpldImageName).string();
  const RunResult result = root.Run(
      // Nothing chosen in either list.
      "click 1023\ndump 1039\nclick 1024\ndump 1040\n"
      // No type chosen: Browse offers all three; a file of none of them is refused.
      "click 1011\nfile \"" +
          settings +
          "\"\nanswer ok\ndump 1007\n"
          // A CPLD file passes Browse but is no DSP image for Send FW.
          "select 1040 \"DSP Firmware\"\nfile \"" +
          cpld + "\"\nclick 1024\ndump 1007\ndump 1024\ndump 1014\nclick 1\n",
      root.Scenario("[{}]"));

  EXPECT_EQ(result.transcript,
            (Lines{
                "dialog open 104",
                tessaly_e2e::CommandListLine("", -1, true, true),
                tessaly_e2e::FirmwareTypeListLine(true),
                tessaly_e2e::FileDialogLine(tessaly_e2e::kAnyFirmwareFilter, settings),
                tessaly_e2e::WindowBoxLine(
                    "Please select a file with extention .bin, .xsvf or .hex!", "information"),
                R"(control 1007 text="" enabled=1 visible=1)",
                tessaly_e2e::FileDialogLine(tessaly_e2e::kDspFilter, cpld),
                "control 1007 text=\"" + cpld + "\" enabled=1 visible=1",
                R"(control 1024 text="Send FW" enabled=1 visible=1)",
                R"(control 1014 text="&Upgrade" enabled=1 visible=0)",
                "dialog close 104 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(root.StatusFile(),
            "\r\nPlease select a command first from select Command Combo Box\r\n"
            "\r\nPlease select a F/W Type first from select F/W Combo Box\r\n"
            "\r\n\r\nPlease select .bin file!\r\n\r\n");
  ASSERT_TRUE(std::filesystem::exists(root.RecordPath()));
  EXPECT_EQ(root.Record(), Lines{});
}

}  // namespace
