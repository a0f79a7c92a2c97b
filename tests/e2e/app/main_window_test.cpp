// The two main windows as the automation contract sees them: their controls, how they end and
// what does not end them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;
using Transcript = std::vector<std::string>;

constexpr char kMuteInstructions[] =
    R"(1.  Ensure Halcyra console is powered \t\t\t     using AC charger or a fully charged battery \n\n2.  Ensure USB cable is securely connected to \t\t\t     Halcyra console and the computer\n\n3.  On the Halcyra console, press and \t\t\t     hold the MUTE button\n\n4.  Click the UPGRADE button below\n\n5.  Release the Mute button\n\n)";

constexpr char kWarningLine[] =
    "control 1071 text=\"Upgrade takes several minutes...  DO NOT POWER OFF the Halcyra...\" "
    "enabled=1 visible=0";
TEST(TessalyWindowTest, TheWizardOpensWithNextAndTheWarningHidden) {
  const TessalyRoot root;
  const RunResult result =
      root.Run("dump 0\ndump 1078\ndump 1071\ndump 1057\ndump 1014\nclick 1\n");
  EXPECT_EQ(result.transcript,
            (Transcript{
                "dialog open 1063",
                "window 1063 title=\"Orvanta Halcyra Upgrade\"",
                "control 1078 text=\"Next\" enabled=1 visible=0",
                kWarningLine,
                std::string("control 1057 text=\"") + kMuteInstructions + "\" enabled=1 visible=1",
                "control 1014 text=\"Upgrade\" enabled=1 visible=1",
                "dialog close 1063 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(result.exit_status, 0);
}

TEST(TessalyWindowTest, TheEngineeringWindowListsCommandsAndFirmwareTypes) {
  const TessalyRoot root = EngineeringRoot();
  const RunResult result = root.Run("dump 0\ndump 1014\ndump 1039\ndump 1040\nclick 1\n");
  EXPECT_EQ(result.transcript,
            (Transcript{
                "dialog open 104",
                "window 104 title=\"Welcome to Halcyra Software Upgrade4.7.0.0\"",
                "control 1014 text=\"&Upgrade\" enabled=1 visible=0",
                tessaly_e2e::CommandListLine("", -1, true),
                tessaly_e2e::FirmwareTypeListLine(),
                "dialog close 104 result=1",
                "exit code=0",
            }));
}

TEST(TessalyWindowTest, CloseEndsEitherWindow) {
  const TessalyRoot wizard;
  EXPECT_EQ(wizard.Run("close\n").transcript,
            (Transcript{"dialog open 1063", "dialog close 1063 result=1", "exit code=0"}));
  const TessalyRoot engineering = EngineeringRoot();
  EXPECT_EQ(engineering.Run("close\n").transcript,
            (Transcript{"dialog open 104", "dialog close 104 result=1", "exit code=0"}));
}

TEST(TessalyWindowTest, TheCloseBoxEndsTheWizard) {
  const TessalyRoot root;
  EXPECT_EQ(root.Run("sysmenu 61536\n").transcript,
            (Transcript{"dialog open 1063", "dialog close 1063 result=1", "exit code=0"}));
}

TEST(TessalyWindowTest, LeftAloneTheWindowStaysOpenUntilTheRunIsIdle) {
  const TessalyRoot root;
  const RunResult result = root.Run("wait idle\n");
  EXPECT_EQ(result.transcript, (Transcript{"dialog open 1063", "idle"}));
  EXPECT_EQ(result.exit_status, 3);
}

TEST(TessalyWindowTest, TheSystemMenuShowsTheAboutBox) {
  const TessalyRoot root;
  const RunResult result =
      root.Run("sysmenu 16\nwait dialog 100\ndump 0\ndump 1021\nclick 1\nclick 1\n");
  const std::string rule(57, '-');
  EXPECT_EQ(
      result.transcript,
      (Transcript{
          "dialog open 1063",
          "dialog open 100",
          "window 100 title=\"About Halcyra Software Upgrade \"",
          R"(control 1021 text="\r\nApplication version:\t4.7.0.0\r\n)" + rule +
              R"(\r\n\r\nDSP version:\tQVX.CON.01.607\r\nCPLD version:\tC106\r\nCVM version:\t1.10" enabled=1 visible=1)",
          "dialog close 100 result=1",
          "dialog close 1063 result=1",
          "exit code=0",
      }));
}

TEST(TessalyWindowTest, ASecondCopyEndsSilentlyWhileTheFirstRuns) {
  const TessalyRoot root;
  tessaly_e2e::Environment first_environment = root.BaseEnvironment("pause 600000\n");
  first_environment["TESSALY_CLOCK"] = "real";
  first_environment["TESSALY_TRANSCRIPT"] = "";
  tessaly_e2e::TessalyProcess first(first_environment);
  ASSERT_TRUE(first.ReadUntil("dialog open 1063"));

  const RunResult second = root.Run("close\n");
  EXPECT_EQ(second.transcript, (Transcript{"exit code=0"}));
  EXPECT_EQ(second.exit_status, 0);
  EXPECT_TRUE(first.Running());
}

}  // namespace
