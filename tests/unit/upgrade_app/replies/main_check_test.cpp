// The main reply check, row by row in both windows: what a verified and a failed reply log and
// what follows them; retries up to the abort; the wizard's version verdicts; the halt rule where
// it fires and where it must not; replies that find nothing pending; routing to the runners'
// checks.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialog_observer.h"
#include "tests/unit/upgrade_app/replies/reply_fixture.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/step_record.h"

namespace {

using namespace replies_test;

const std::string kGeneric = "\r\nReceived response verification failed\r\n";
const std::string kGenericLf = "\nReceived response verification failed\r\n";

const std::vector<RowCase> kMainRows = {
    {0xD002,
     {0x09, 0x12},
     "\r\nDSP Flash F/W version: QVX.CON.01.209\r\n",
     kGenericLf,
     Outcome::kRetry},
    {0xD001, {'D', 'C', 'B', 'A'}, "\r\nCPLD  F/W version: ABCD\r\n", kGeneric, Outcome::kRetry},
    {0xD003,
     {0x07, 0x01},
     "\r\nCVM Flash F/W version: 01.07\r\n",
     "\r\nReceived response verification failed for UPD_GET_CVMFLASH_FW_VER\r\n",
     Outcome::kStop},
    {0xD01C, {0xFF}, "\r\nCountry code: 255\r\n", kGenericLf, Outcome::kRetry},
    {0xD01D,
     {0x01},
     "\r\nLock Status: 1\r\n",
     "\nReceived response verification failed for UPD_GET_CVM_LOCK_STATUS\r\n",
     Outcome::kStop},
    {0xD0AE,
     {0x02},
     "\r\nRadio Verification status: 2\r\n",
     "\nReceived response verification failed for UPD_GET_RADIO_STATUS\r\n",
     Outcome::kStop},
    {0xD0AD,
     {},
     "\r\nValid response for UPD_INIT_VERIFY_RADIO_STATUS received\r\n",
     "\nReceived response verification failed for UPD_INIT_VERIFY_RADIO_STATUS\r\n",
     Outcome::kStop},
    {0xD0AA, {}, "\r\nValid Enable USB response received\r\n", kGeneric, Outcome::kStop},
    {0xD0AC, {}, "\r\nValid Enable USB Upgrade response received\r\n", kGeneric, Outcome::kStop},
    {0xD0AB,
     {},
     "\r\nValid Reset Console response received\r\nPlease wait a while for complete console "
     "reinitialization!\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD009, {}, "", kGeneric, Outcome::kStop},
    {0xD005,
     {},
     "\r\nDSP Composite upgrade response received\r\nPlease wait for complete upgrade "
     "initialization!\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD008,
     {},
     "\r\nCPLD upgrade response received\r\nPlease wait for complete upgrade initialization!\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD00A,
     {},
     "\r\nCVM upgrade response received\r\nCVM Flash F/W version: 1a.07\r\nPlease wait for "
     "complete upgrade initialization!\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD014, {}, "\r\nValid BootLoader response received\r\n", kGeneric, Outcome::kStop},
    {0xD015, {}, "\r\nValid FlashCode1 response received\r\n", kGeneric, Outcome::kStop},
    {0xD016, {}, "\r\nValid FlashCode2 response received\r\n", kGeneric, Outcome::kStop},
    {0xD017, {}, "\r\nValid FlashCode3 response received\r\n", kGeneric, Outcome::kStop},
    {0xD018, {}, "\r\nValid FlashCode4 response received\r\n", kGeneric, Outcome::kStop},
    {0xD019,
     {0x34, 0x12},
     "\r\nValid ImageEnd response received\r\nCVM Checksum: 12 34\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD01A,
     {},
     "\r\nValid Radio params upgrade response received\r\n",
     "\r\nReceived response verification failed for UPD_INIT_UPGRADE_RADIOPARAMS\r\n",
     Outcome::kStop},
    {0xD01B,
     {},
     "\r\nValid response for UPD_SEND_CVM_HEADER received\r\n",
     kGeneric,
     Outcome::kStop},
};

using MainCheckTest = ReplyCheckTest;

TEST_F(MainCheckTest, InTheWizardEveryRowGoesOnAfterAGoodReplyAndStopsOrRetriesAfterABadOne) {
  InWindow(false, [&](ProbeDialog& dialog) {
    ExpectEveryRowInTheWizard(dialog, kMainRows, WM_UPG_NEXT_TASK, 0);
    // Console parameters go on after a good reply; a code without a row halts either way.
    ArmRow(dialog);
    SendReply(dialog, 0xD00B, true, {});
    ExpectOutcome(dialog, Outcome::kContinue, 0, "0xD00B");
    for (const bool verified : {true, false}) {
      ArmRow(dialog);
      SendReply(dialog, 0xD00C, verified, {});
      ExpectOutcome(dialog, Outcome::kStop, 0, Where(0xD00C, verified));
    }
  });
}

TEST_F(MainCheckTest, InTheEngineeringWindowEveryRowLogsItsLineAndGivesThePanelBack) {
  InWindow(true, [&](ProbeDialog& dialog) {
    ExpectEveryRowInTheEngineeringWindow(dialog, kMainRows, 0);
    // Only the console-parameter reply starts the step delay here.
    ArmRow(dialog);
    SendReply(dialog, 0xD00B, true, {});
    EXPECT_EQ(dialog.m_strStatusText,
              "\r\nUpgrade console parameters response received\r\n\r\nWaiting for task "
              "completion\r\n");
    ExpectOutcome(dialog, Outcome::kContinue, 0, "0xD00B");

    ArmRow(dialog);
    SendReply(dialog, 0xD00C, true, {1, 2, 3});
    EXPECT_EQ(dialog.m_strStatusText, "");
    ExpectOutcome(dialog, Outcome::kStop, 0, "0xD00C");
  });
}

TEST_F(MainCheckTest, DeviceJobResults) {
  InWindow(false, [&](ProbeDialog& dialog) {
    ArmRow(dialog);
    dialog.m_nRetryCount = 2;
    dialog.m_nDeviceState = 0;
    SendDeviceResult(dialog, 0, true);
    ExpectOutcome(dialog, Outcome::kContinue, 0, "found");
    EXPECT_EQ(dialog.m_nRetryCount, 2) << "a found device keeps the count here";
    EXPECT_EQ(dialog.m_nDeviceState, 0);

    ArmRow(dialog);
    SendDeviceResult(dialog, 7, false);
    ExpectOutcome(dialog, Outcome::kRetry, WM_UPG_NEXT_TASK, "not found");
    EXPECT_EQ(dialog.m_nDeviceState, 3);

    // The boot-block recovery runner's identify runs again in its own runner.
    ArmRow(dialog);
    dialog.m_nBBMode = 1;
    SendDeviceResult(dialog, 7, false);
    ExpectOutcome(dialog, Outcome::kRetry, WM_UPG_NEXT_BB_TASK, "recovery, not found");
  });
  InWindow(true, [&](ProbeDialog& dialog) {
    ArmRow(dialog);
    SendDeviceResult(dialog, 5, true);
    EXPECT_EQ(dialog.m_strStatusText, "\r\n(TMX320VC5509) Device detected as 5\r\n");
    ArmRow(dialog);
    SendDeviceResult(dialog, 5, false);
    EXPECT_EQ(dialog.m_strStatusText, "\r\nDevice detection failed\r\n");
    ExpectOutcome(dialog, Outcome::kStop, 0, "engineering, not found");
    EXPECT_TRUE(ui_->Boxes().empty());
  });
}

TEST_F(MainCheckTest, RetriedRowsAbortAtTheFourthFailureInARow) {
  struct AbortCase {
    int command;
    bool marks_aborted;  // the detection-failed abort; the recovery dialog's does not
  };
  const AbortCase cases[] = {{kDeviceJob, false}, {0xD002, true}, {0xD001, true}, {0xD01C, true}};
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const AbortCase& c : cases) {
      const std::string where = platform::Format("command 0x%04X", c.command);
      const auto fail = [&] {
        if (c.command == kDeviceJob) {
          SendDeviceResult(dialog, 0, false);
        } else {
          SendReply(dialog, c.command, false, {});
        }
      };
      ArmRow(dialog);
      for (int count = 1; count <= 3; ++count) {
        Arm(dialog);
        fail();
        ExpectOutcome(dialog, Outcome::kRetry, WM_UPG_NEXT_TASK, where);
        EXPECT_EQ(dialog.m_nRetryCount, count) << where;
      }
      Arm(dialog);
      CloseRecoveryDialogWhenItOpens();
      fail();
      ExpectOutcome(dialog, Outcome::kStop, 0, where + ", fourth failure");
      EXPECT_EQ(dialog.m_nRetryCount, 0) << where;
      EXPECT_EQ(g_bAbort, 1) << where;
      EXPECT_EQ(dialog.m_bAborted, c.marks_aborted ? 1 : 0) << where;
    }

    // A verified reply in between starts the count again.
    ArmRow(dialog);
    SendReply(dialog, 0xD002, false, {});
    SendReply(dialog, 0xD002, false, {});
    EXPECT_EQ(dialog.m_nRetryCount, 2);
    SendReply(dialog, 0xD002, true, {0x09, 0x12});
    EXPECT_EQ(dialog.m_nRetryCount, 0);
    SendReply(dialog, 0xD002, false, {});
    EXPECT_EQ(dialog.m_nRetryCount, 1);
  });
}

class MainCheckRecoveryTest : public RecoveryEndingTest {};

TEST_P(MainCheckRecoveryTest, TheAbortsRecoveryDialogHaltsOnlyWhenItEndsWithoutAChoice) {
  InWindow(false, [&](ProbeDialog& dialog) {
    ExpectEnding(dialog, [&] {
      dialog.m_nRetryCount = 3;
      SendDeviceResult(dialog, 0, false);
    });
  });
}

// While the recovery dialog of a check's abort is up, the same request is answered again.
class SecondReplyInRecoveryDialog final : public platform::DialogObserver {
 public:
  explicit SecondReplyInRecoveryDialog(platform::HWND main_window) : main_window_(main_window) {}

  void OnDialogCreated(platform::Dialog& dialog) override {
    if (dialog.GetTemplateId() != IDD_RECOVERY_DIALOG) return;
    const platform::HWND recovery = dialog.GetSafeHwnd();
    platform::PostClosure(platform::GetCurrentThreadId(), [this, recovery] {
      platform::SendMessage(main_window_, WM_UPG_REPLY, 1, 1);
      upgrade_app_test::EndDialogWith(recovery, std::nullopt);
    });
  }

 private:
  platform::HWND main_window_;
};

TEST_F(MainCheckTest, ASecondReplyWhileTheAbortsRecoveryDialogIsUpChangesNothing) {
  InWindow(false, [&](ProbeDialog& dialog) {
    const auto second_reply = std::make_shared<SecondReplyInRecoveryDialog>(dialog.GetSafeHwnd());
    platform::AddDialogObserver(second_reply);
    ArmRow(dialog);
    dialog.m_nRetryCount = 3;
    SendDeviceResult(dialog, 0, false);
    platform::RemoveDialogObserver(second_reply.get());
    EXPECT_EQ(dialog.m_nDeviceState, CCorvikUpgradeDlg::kNoDeviceDetected);
    EXPECT_EQ(dialog.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(dialog.sequence.empty());
    EXPECT_TRUE(Halted(dialog));
  });
}

INSTANTIATE_TEST_SUITE_P(MainCheckTest, MainCheckRecoveryTest,
                         testing::ValuesIn(upgrade_app_test::kRecoveryEndings),
                         upgrade_app_test::RecoveryEndingName);

TEST_F(MainCheckTest, TheWizardComparesVersionsWithTheSettingsAtTheCurrentStep) {
  struct CompareCase {
    int command;
    Bytes payload;
    std::string file_version;
    int step_after;   // from step 5
    int phase_after;  // from phase 0
  };
  const CompareCase cases[] = {
      {0xD002, {0x09, 0x12}, "001.209", 18, 0},     {0xD002, {0x09, 0x12}, "001.607", 5, 0},
      {0xD001, {'D', 'C', 'B', 'A'}, "ABCD", 9, 0}, {0xD001, {'D', 'C', 'B', 'A'}, "C106", 5, 0},
      {0xD003, {0x07, 0x01}, "1.07", 5, 0},         {0xD003, {0x07, 0x01}, "1.10", 5, 1},
  };
  constexpr int kStep = 5;
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const CompareCase& c : cases) {
      app_.m_strDSPFileVer = app_.m_strCPLDFileVer = app_.m_strCVMFileVer = c.file_version;
      CompareAtMainStep(dialog, kStep, c.command);
      dialog.m_nCVMPhase = 0;
      ArmRow(dialog);
      SendReply(dialog, c.command, true, c.payload);
      const std::string where =
          platform::Format("0x%04X against %s", c.command, c.file_version.c_str());
      ExpectOutcome(dialog, Outcome::kContinue, 0, where);
      EXPECT_EQ(dialog.m_nCurrentStep, c.step_after) << where;
      EXPECT_EQ(dialog.m_nCVMPhase, c.phase_after) << where;
    }
  });
}

TEST_F(MainCheckTest, AFailedOrMissingReplyDecodesNothing) {
  InWindow(true, [&](ProbeDialog& dialog) {
    ArmRow(dialog);
    dialog.m_strDSPVersion = "001.607";
    SendReply(dialog, 0xD002, false, {0x09, 0x12});
    EXPECT_EQ(dialog.m_strDSPVersion, "001.607");
    EXPECT_EQ(dialog.m_nDSPMinor, 0);

    // No report read yet: GetRecData has nothing to give.
    ArmRow(dialog);
    dialog.m_pUpgradeThread->m_bReplyReceived = 0;
    dialog.m_nPendingCommand = 0xD01D;
    dialog.m_nLockStatus = 9;
    dialog.SendMessage(WM_UPG_REPLY, 0, 0);
    EXPECT_EQ(dialog.m_strStatusText,
              "\nReceived response verification failed for UPD_GET_CVM_LOCK_STATUS\r\n");
    EXPECT_EQ(dialog.m_nLockStatus, 9);
  });
}

TEST_F(MainCheckTest, AReplyTooShortForItsValueShowsTheBoxAndHalts) {
  InWindow(false, [&](ProbeDialog& dialog) {
    ArmRow(dialog);
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    worker.m_arrReply = {0xD1, 0x02, 0x09};
    worker.m_bReplyVerified = 1;
    worker.m_bReplyReceived = 1;
    dialog.m_nPendingCommand = 0xD002;
    dialog.SendMessage(WM_UPG_REPLY, 0, 0);
    Drain(dialog);
    const auto boxes = ui_->Boxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "exception catched in ONGetReceiveResponseThread");
    EXPECT_TRUE(Halted(dialog));
    EXPECT_EQ(dialog.m_nPendingCommand, -1) << "the reply was taken: a second one changes nothing";
    EXPECT_EQ(dialog.m_strDSPVersion, "");
  });
}

TEST_F(MainCheckTest, AReplyWhileNothingIsPendingChangesNothing) {
  InWindow(false, [&](ProbeDialog& dialog) {
    // As during a download: the hand-over's time-out runs and no command is pending.
    ArmRow(dialog);
    dialog.m_nPendingCommand = -1;
    dialog.SendMessage(WM_UPG_REPLY, 0, 0);
    dialog.SendMessage(WM_UPG_REPLY, 3, 1);
    dialog.m_nDetectionMode = 1;
    dialog.PostMessage(WM_UPG_DETECTION_REPLY);
    dialog.PostMessage(WM_UPG_CVM_REPLY);
    Drain(dialog);
    EXPECT_NE(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_EQ(dialog.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(NothingOffered(dialog));
    EXPECT_TRUE(dialog.sequence.empty());
    EXPECT_EQ(dialog.m_nPendingCommand, -1);
  });
}

TEST_F(MainCheckTest, RepliesGoToTheCheckOfTheRunnerThatOwnsTheSequence) {
  struct RouteCase {
    int detection_mode, cvm_mode, command;
    std::vector<platform::UINT> routed;
    Outcome outcome;
  };
  const RouteCase cases[] = {
      {1, 0, 0xD0AA, {WM_UPG_DETECTION_REPLY}, Outcome::kContinue},
      {1, 1, 0xD002, {WM_UPG_DETECTION_REPLY}, Outcome::kContinue},
      // Not a detection reply: the radio-module check, else the main check, takes it.
      {1, 1, 0xD0AD, {WM_UPG_CVM_REPLY}, Outcome::kContinue},
      {1, 0, 0xD0AE, {}, Outcome::kContinue},
      {0, 1, 0xD019, {}, Outcome::kContinue},
      // Routed, but the radio-module check has no row for it.
      {0, 1, 0xD00B, {WM_UPG_CVM_REPLY}, Outcome::kStop},
  };
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const RouteCase& c : cases) {
      const std::string where =
          platform::Format("modes %d/%d, 0x%04X", c.detection_mode, c.cvm_mode, c.command);
      ArmRow(dialog);
      dialog.m_nDetectionMode = c.detection_mode;
      dialog.m_nCVMMode = c.cvm_mode;
      SendReply(dialog, c.command, true, {});
      EXPECT_EQ(dialog.routed, c.routed) << where;
      ExpectOutcome(dialog, c.outcome, 0, where);
    }
  });
}

}  // namespace
