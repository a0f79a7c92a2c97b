// The reply time-out and the step delay: lengths, retries, the reboot dialogue and the abort.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "tests/unit/upgrade_app/flow/flow_fixture.h"
#include "tests/unit/upgrade_app/sequencer/sequencer_fixture.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/step_tables.h"

namespace {

using upgrade_app_test::SequencerTest;
using upgrade_flow_test::WatchedWindow;

constexpr platform::Millis kReplyTimeout = 20000;

class TimersTest : public SequencerTest {
 protected:
  int RunTaskCount() const {
    const std::vector<platform::UINT> messages = WorkerMessages();
    return static_cast<int>(std::count(messages.begin(), messages.end(), WM_UPG_RUN_TASK));
  }

  // How long a step timer started with `elapse` runs.
  platform::Millis StepTimerLength(CCorvikUpgradeDlg& dialog, int elapse) {
    const platform::Millis start = Now();
    dialog.StartTimer(elapse, kStepTimerKind);
    while (dialog.m_nStepTimer != CCorvikUpgradeDlg::kNoTimer) RunFor(1);
    return Now() - start;
  }
};

TEST_F(TimersTest, TheStepDelayLastsAtLeastASecondUnlessPositive) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    EXPECT_EQ(StepTimerLength(dialog, 0), 1000);
    EXPECT_EQ(StepTimerLength(dialog, -5), 1000);
    EXPECT_EQ(StepTimerLength(dialog, 1), 1);
    EXPECT_EQ(StepTimerLength(dialog, 2500), 2500);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

// The runners' own messages are held back: only the timer's advance is looked at.
void HoldRunners(WatchedWindow& dialog) {
  for (const platform::UINT runner :
       {WM_UPG_NEXT_TASK, WM_UPG_NEXT_DETECTION_TASK, WM_UPG_NEXT_CVM_TASK, WM_UPG_NEXT_BB_TASK,
        WM_UPG_NEXT_CONSOLE_PARAM_TASK}) {
    dialog.Hold(runner);
  }
}

TEST_F(TimersTest, StepDelayExpiryAdvancesTheOwningRunnerAndTheConsoleRunnerToo) {
  WatchedWindow dialog(IDD_WIZARD_WINDOW);
  HoldRunners(dialog);
  RunModal(dialog, [&] {
    dialog.m_nDetectionMode = 1;
    dialog.m_nCVMMode = 1;
    dialog.m_nDetectionStep = 4;
    dialog.m_nCVMStep = 6;
    dialog.StartTimer(10, kStepTimerKind);
    RunFor(10);
    EXPECT_EQ(dialog.m_nDetectionStep, 5);
    EXPECT_EQ(dialog.m_nCVMStep, 6) << "detection goes first";

    dialog.m_nDetectionMode = 0;
    dialog.m_nCVMMode = 0;
    dialog.m_nBBMode = 1;
    dialog.m_nBBStep = 1;
    dialog.m_nConsoleMode = 1;
    dialog.m_nConsoleStep = 1;
    dialog.StartTimer(10, kStepTimerKind);
    RunFor(10);
    EXPECT_EQ(dialog.m_nBBStep, 2);
    EXPECT_EQ(dialog.m_nConsoleStep, 2);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(TimersTest, InTheEngineeringWindowOnlyTheConsoleRunnerAdvances) {
  app_.m_bEngineeringMode = 1;
  WatchedWindow dialog(IDD_ENGINEERING_WINDOW);
  HoldRunners(dialog);
  RunModal(dialog, [&] {
    dialog.m_nCurrentStep = 3;
    dialog.StartTimer(10, kStepTimerKind);
    RunFor(10);
    EXPECT_EQ(dialog.m_nCurrentStep, 3);
    EXPECT_EQ(dialog.m_strStatusText, "\r\nWaiting for task completion\r\n");
    dialog.m_nConsoleMode = 1;
    dialog.m_nConsoleStep = 1;
    dialog.StartTimer(10, kStepTimerKind);
    RunFor(10);
    EXPECT_EQ(dialog.m_nConsoleStep, 2);
    EXPECT_EQ(dialog.m_nCurrentStep, 3);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(TimersTest, MainRunnerRetriesTwiceThenAbortsOnce) {
  const auto recovery = CloseDialogsOnOpen({IDD_RECOVERY_DIALOG});
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    SetTaskMap(&dialog, 0x0D, kVariantDspFlash);
    dialog.m_nCurrentStep = 7;  // 0xD008, which the stand-in never answers
    dialog.SendMessage(WM_UPG_NEXT_TASK);
    RunFor(kReplyTimeout);
    EXPECT_EQ(dialog.m_nRetryCount, 1);
    EXPECT_EQ(dialog.m_nCurrentStep, 7);
    RunFor(kReplyTimeout);
    EXPECT_EQ(dialog.m_nRetryCount, 2);
    RunFor(kReplyTimeout);
    EXPECT_EQ(dialog.m_nRetryCount, 0);
    EXPECT_EQ(g_bAbort, 1);
    EXPECT_EQ(dialog.m_nCurrentStep, 0);
    EXPECT_EQ(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
    EXPECT_EQ(recovery->Opened(), 1);
    EXPECT_EQ(dialog.m_bFailDialogShown, 0) << "the recovery dialog forgets itself as it closes";
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(Enabled(dialog, platform::IDOK));
    EXPECT_TRUE(Enabled(dialog, IDC_UPGRADE));
    EXPECT_TRUE(dialog.CanChooseSystemCommand(platform::SC_CLOSE));
    RunFor(kReplyTimeout);
    dialog.SendMessage(platform::WM_CLOSE);
  });
  FinishWorker();
  EXPECT_EQ(RunTaskCount(), 3) << "the step and its two retries; nothing after the abort";
}

// The recovery counts its time-outs as the main runner does, but runs its own step again.
TEST_F(TimersTest, RecoveryTimeOutsRunTheRecoveryStepAgainTwiceThenAbort) {
  const auto recovery = CloseDialogsOnOpen({IDD_RECOVERY_DIALOG});
  WatchedWindow dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    dialog.SendMessage(WM_UPG_BOOTROM_RECOVERY);
    Settle();
    ASSERT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_IDENTIFY_DEVICE);
    for (const int retry : {1, 2}) {
      RunFor(kReplyTimeout);
      EXPECT_EQ(dialog.m_nRetryCount, retry);
      EXPECT_EQ(dialog.m_nBBStep, 1);
      EXPECT_EQ(dialog.m_nPendingCommand, 1) << "the identify step runs again";
      EXPECT_NE(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    }
    RunFor(kReplyTimeout);
    EXPECT_EQ(g_bAbort, 1);
    EXPECT_EQ(dialog.m_nRetryCount, 0);
    EXPECT_EQ(recovery->Opened(), 1);
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_FALSE(dialog.Took(WM_UPG_NEXT_TASK)) << "no step of another table ran";
    dialog.SendMessage(platform::WM_CLOSE);
  });
  FinishWorker();
  EXPECT_EQ(RunTaskCount(), 3) << "the identify step and its two retries";
}

TEST_F(TimersTest, AnAbortShowsTheRecoveryDialogOnlyWhenItIsNotUpAlready) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    dialog.m_bFailDialogShown = 1;
    dialog.m_nDetectionStep = 3;
    dialog.m_nCVMStep = 2;
    dialog.m_nDetectionMode = 1;
    dialog.AbortUpgrade();
    EXPECT_EQ(dialog.m_nDetectionStep + dialog.m_nCVMStep + dialog.m_nCurrentStep, 0);
    EXPECT_EQ(dialog.m_nDetectionMode, 1) << "the modes are left as they are";
    EXPECT_EQ(g_bAbort, 1);
    dialog.SendMessage(platform::WM_CLOSE);
  });
  EXPECT_TRUE(ui_->Boxes().empty());
}

class RecoveryEndingTest : public TimersTest,
                           public testing::WithParamInterface<upgrade_app_test::RecoveryEnding> {};

TEST_P(RecoveryEndingTest, ATimeOutsRecoveryDialogHaltsOnlyWhenItEndsWithoutAChoice) {
  const std::optional<int> choice = GetParam().choice;
  const auto recovery = CloseDialogsOnOpen({IDD_RECOVERY_DIALOG}, choice);
  WatchedWindow dialog(IDD_WIZARD_WINDOW);
  // The recovery runner stays still: only what the choice itself does is looked at.
  dialog.Hold(WM_UPG_NEXT_BB_TASK);
  const auto expect_way_out_only_without_a_choice = [&] {
    EXPECT_EQ(Enabled(dialog, IDC_UPGRADE), !choice);
    EXPECT_EQ(Enabled(dialog, platform::IDOK), !choice);
    EXPECT_EQ(dialog.CanChooseSystemCommand(platform::SC_CLOSE), !choice);
    EXPECT_EQ(app_.m_bSendingDSPFile, choice == IDC_APPLICATION_UPGRADE ? 1 : 0);
  };
  RunModal(dialog, [&] {
    // A step of the main table under way, at its third time-out: the abort.
    dialog.DisableAllButtons();
    dialog.EnableControl(platform::IDOK, platform::FALSE);
    dialog.m_nPendingCommand = 0xD008;
    dialog.m_nRetryCount = 2;
    dialog.StartTimer(10, kReplyTimerKind);
    RunFor(10);
    expect_way_out_only_without_a_choice();

    // A first enable-USB time-out in detection that is the second detection failure.
    app_.m_bSendingDSPFile = 0;
    dialog.DisableAllButtons();
    dialog.EnableControl(platform::IDOK, platform::FALSE);
    dialog.m_nDetectionMode = 1;
    dialog.m_nDetectionFailures = 1;
    dialog.m_nPendingCommand = 0xD0AA;
    dialog.StartTimer(10, kReplyTimerKind);
    RunFor(10);
    expect_way_out_only_without_a_choice();
    dialog.SendMessage(platform::WM_CLOSE);
  });
  FinishWorker();
  EXPECT_EQ(recovery->Opened(), 2);
  EXPECT_EQ(dialog.Took(WM_UPG_BOOTROM_RECOVERY), choice == IDC_BOOTROM_UPGRADE);
}

INSTANTIATE_TEST_SUITE_P(TimersTest, RecoveryEndingTest,
                         testing::ValuesIn(upgrade_app_test::kRecoveryEndings),
                         upgrade_app_test::RecoveryEndingName);

TEST_F(TimersTest, DetectionTimeOutsMoveOnFromTheVersionQueryAndAbortAtTheFourth) {
  const auto recovery = CloseDialogsOnOpen({IDD_RECOVERY_DIALOG});
  WatchedWindow dialog(IDD_WIZARD_WINDOW);
  HoldRunners(dialog);
  RunModal(dialog, [&] {
    dialog.m_nDetectionMode = 1;
    dialog.m_nDetectionStep = 5;
    dialog.m_nPendingCommand = 0xD002;
    for (const int expected_step : {5, 6, 7}) {
      dialog.StartTimer(10, kReplyTimerKind);
      RunFor(10);
      EXPECT_EQ(dialog.m_nDetectionStep, expected_step);
      dialog.m_nPendingCommand = 0xD002;
    }
    dialog.StartTimer(10, kReplyTimerKind);
    RunFor(10);
    EXPECT_EQ(g_bAbort, 1);
    EXPECT_EQ(dialog.m_nDetectionStep, 0);
    EXPECT_EQ(dialog.m_nRetryCount, 0);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(TimersTest, AFirstEnableUsbTimeOutInDetectionIsADetectionFailure) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    dialog.m_nDetectionMode = 1;
    dialog.m_nPendingCommand = 0xD0AA;
    dialog.StartTimer(10, kReplyTimerKind);
    RunFor(10);
    EXPECT_EQ(dialog.m_nRetryCount, 0);
    EXPECT_EQ(dialog.m_bAborted, 1);
    EXPECT_EQ(g_bAbort, 1);
    EXPECT_TRUE(Enabled(dialog, platform::IDOK));
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(TimersTest, TheRebootDialogueRetriesOnOkAndStopsOnCancel) {
  for (const int answer : {platform::IDOK, platform::IDCANCEL}) {
    {
      CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
      RunModal(dialog, [&] {
        SetTaskMap(&dialog, 0x0D, kVariantDspFlash);
        dialog.m_nCurrentStep = 3;  // 0xD0AA
        ui_->AnswerNextBoxesWith({platform::IDOK, answer});
        dialog.SendMessage(WM_UPG_NEXT_TASK);
        RunFor(kReplyTimeout);
        EXPECT_EQ(dialog.m_nRetryCount, 1);
        EXPECT_EQ(dialog.m_nReplyTimer != CCorvikUpgradeDlg::kNoTimer, answer == platform::IDOK);
        // Giving up leaves the user the way out; a retry runs the step again.
        EXPECT_EQ(Enabled(dialog, platform::IDOK), answer == platform::IDCANCEL);
        dialog.SendMessage(platform::WM_CLOSE);
      });
    }
    FinishWorker();
    EXPECT_EQ(RunTaskCount(), answer == platform::IDOK ? 2 : 1);
  }
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 4U);
  EXPECT_EQ(boxes[0].text, FindResourceString(IDS_REBOOT_PHONE));
  EXPECT_EQ(boxes[0].caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
  EXPECT_EQ(boxes[1].text, FindResourceString(IDS_START_UPGRADE_ON_PHONE));
  EXPECT_EQ(boxes[1].flags, platform::MB_OKCANCEL | platform::MB_ICONINFORMATION);
  EXPECT_EQ(boxes[1].owner_template, IDD_WIZARD_WINDOW);
}

TEST_F(TimersTest, ATimeOutInTheEngineeringWindowOnlyLogsGivesThePanelBackAndEndsTheRequest) {
  app_.m_bEngineeringMode = 1;
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  RunModal(dialog, [&] {
    dialog.DisableAllButtons();
    dialog.SendStepCommand(0xD002);
    RunFor(kReplyTimeout);
    EXPECT_EQ(dialog.m_nRetryCount, 0);
    EXPECT_TRUE(dialog.m_strStatusText.starts_with("\r\nThere is no response from Halcyra.\r\n"));
    EXPECT_TRUE(dialog.m_strStatusText.ends_with("8.\tOn the PC click OK."));
    EXPECT_EQ(dialog.m_strStatusText.find("Retry#"), std::string::npos);
    EXPECT_TRUE(Enabled(dialog, IDC_SEND_COMMAND));

    // A reply that comes after all is no longer the command's.
    const std::string logged = dialog.m_strStatusText;
    dialog.SendMessage(WM_UPG_REPLY, 0, 0);
    EXPECT_EQ(dialog.m_strStatusText, logged);
    EXPECT_EQ(dialog.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

}  // namespace
