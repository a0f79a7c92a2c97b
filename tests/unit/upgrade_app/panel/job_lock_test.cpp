// A job of the panel (Send Command, Detect, Reset) keeps the panel disabled until its reply, its
// failure handling or its time-out, also when the step delay of an earlier download ends first.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "tests/unit/upgrade_app/panel/panel_fixture.h"

namespace {

using panel_test::PanelTest;

// Shorter than the reply time-out, so that it ends while the job's reply is awaited.
constexpr int kStepDelay = 3000;
constexpr platform::Millis kReplyTimeout = 20000;
constexpr platform::LPARAM kDownloadBytes = 1000;
constexpr platform::LPARAM kDeviceFound = 1;
constexpr platform::LPARAM kNoReport = 0;

struct Job {
  std::string name;
  std::function<void(CCorvikUpgradeDlg&)> click;
  platform::LPARAM reply;  // what WM_UPG_REPLY carries for this job
};

class JobLockTest : public PanelTest {
 protected:
  // The jobs of the panel; a command whose reply came without a report fails its check.
  static std::vector<Job> Jobs() {
    return {
        {"Send Command",
         [](CCorvikUpgradeDlg& dialog) {
           Choose(dialog, IDC_COMMAND_LIST, "UPD_GET_CPLD_FW_VER");
           Click(dialog, IDC_SEND_COMMAND);
         },
         kNoReport},
        {"Detect USB Device",
         [](CCorvikUpgradeDlg& dialog) { Click(dialog, IDC_DETECT_USB_DEVICE); }, kDeviceFound},
        {"Reset USB Device", [](CCorvikUpgradeDlg& dialog) { Click(dialog, IDC_RESET_USB_DEVICE); },
         kDeviceFound},
    };
  }

  // A download of the panel has ended: its step delay runs and the panel is back.
  static void EndDownload(CCorvikUpgradeDlg& dialog) {
    dialog.m_nStepDelay = kStepDelay;
    dialog.SendMessage(WM_UPG_FILE_PROGRESS, kFileProgressEnd, kDownloadBytes);
    ASSERT_NE(dialog.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
    ASSERT_TRUE(PanelEnabled(dialog));
  }

  // The job is clicked while the step delay runs; then the step delay ends.
  static void ClickThenLetTheStepDelayEnd(CCorvikUpgradeDlg& dialog, const Job& job) {
    EndDownload(dialog);
    job.click(dialog);
    EXPECT_TRUE(PanelDisabled(dialog)) << job.name;
    EXPECT_TRUE(
        platform::RunModalLoop([&] { return dialog.m_nStepTimer == CCorvikUpgradeDlg::kNoTimer; }));
    EXPECT_NE(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer) << job.name;
    EXPECT_TRUE(PanelDisabled(dialog)) << job.name << ": the step delay ended";
  }
};

TEST_F(JobLockTest, AStepDelayEndingMeanwhileLeavesThePanelToTheReplyTimeOut) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    for (const Job& job : Jobs()) {
      const platform::Millis clicked = platform::GetClock().Now();
      ClickThenLetTheStepDelayEnd(dialog, job);
      EXPECT_EQ(platform::GetClock().Now() - clicked, kStepDelay) << job.name;
      RunUntilReplyTimeout(dialog);
      EXPECT_EQ(platform::GetClock().Now() - clicked, kReplyTimeout) << job.name;
      EXPECT_TRUE(PanelEnabled(dialog)) << job.name;
    }
  });
}

TEST_F(JobLockTest, AStepDelayEndingMeanwhileLeavesThePanelToTheReply) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    for (const Job& job : Jobs()) {
      ClickThenLetTheStepDelayEnd(dialog, job);
      dialog.SendMessage(WM_UPG_REPLY, 0, job.reply);
      EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer) << job.name;
      EXPECT_EQ(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending) << job.name;
      EXPECT_TRUE(PanelEnabled(dialog)) << job.name;
    }
  });
}

}  // namespace
