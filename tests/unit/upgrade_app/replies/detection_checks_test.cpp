// The detection check and the radio-module check, reached through the reply handler while their
// runner owns the sequence: every row in both windows, the detection restarts after enable-USB
// failures, their aborts, and the rows that differ from the main check.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/upgrade_app/replies/reply_fixture.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/step_record.h"

namespace {

using namespace replies_test;

const std::string kGeneric = "\r\nReceived response verification failed\r\n";
const std::string kGenericLf = "\nReceived response verification failed\r\n";
const std::string kEnableUsb = "\r\nValid Enable USB response received\r\n";
const std::string kLockFailed =
    "\nReceived response verification failed for UPD_GET_CVM_LOCK_STATUS\r\n";

const RowCase kDspVersion = {0xD002,
                             {0xD3, 0x01},
                             "\r\nDSP Flash F/W version: QVX.CON.01.211\r\n",
                             kGenericLf,
                             Outcome::kRetry};
const RowCase kCvmVersion = {
    0xD003, {0x07, 0x00}, "\r\nCVM Flash F/W version: 00.07\r\n", kGenericLf, Outcome::kRetry};
const RowCase kCountryCode = {
    0xD01C, {0x02}, "\r\nCountry code: 2\r\n", kGenericLf, Outcome::kRetry};
const RowCase kLockStatus = {0xD01D, {0x00}, "\r\nLock Status: 0\r\n", kLockFailed, Outcome::kStop};
// A failed CPLD version reply ends the check without a word.
const RowCase kCpldVersion = {
    0xD001, {'6', '0', '1', 'C'}, "\r\nCPLD  F/W version: C106\r\n", "", Outcome::kStop};

const std::vector<RowCase> kDetectionRows = {
    kDspVersion,
    {0xD0AA, {}, kEnableUsb, kGeneric, Outcome::kRestart},
    {0xD0AC, {}, kEnableUsb, kGeneric, Outcome::kRestart},
    kCvmVersion,
    kCountryCode,
    kLockStatus,
    kCpldVersion,
};

const std::vector<RowCase> kRadioModuleRows = {
    {0xD0AC,
     {},
     "\r\nValid UPD_ENABLE_USB_UPGRADE response received\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD0AA, {}, kEnableUsb, kGeneric, Outcome::kStop},
    {0xD0AB,
     {},
     "\r\nValid Reset Console response received\r\nPlease wait a while for complete console "
     "reinitialization!\r\n",
     kGeneric,
     Outcome::kStop},
    kCvmVersion,
    {0xD00A,
     {},
     "\r\nCVM upgrade response received\r\nCVM Flash F/W version: 1a.07\r\nPlease wait for "
     "complete upgrade initialization!\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD014, {}, "\r\nValid BootLoader response received\r\n", kGeneric, Outcome::kStop},
    {0xD01B,
     {},
     "\r\nValid response for UPD_SEND_CVM_HEADER received\r\n",
     kGeneric,
     Outcome::kStop},
    {0xD01A,
     {},
     "\r\nValid Radio params upgrade response received\r\n",
     "\r\nReceived response verification failed for UPD_INIT_UPGRADE_RADIOPARAMS\r\n",
     Outcome::kStop},
    {0xD0AD,
     {},
     "\r\nValid response for UPD_INIT_VERIFY_RADIO_STATUS received\r\n",
     "\nReceived response verification failed for UPD_INIT_VERIFY_RADIO_STATUS\r\n",
     Outcome::kStop},
    {0xD0AE,
     {0x00},
     "\r\nRadio Verification status: 0\r\n",
     "\nReceived response verification failed for UPD_GET_RADIO_STATUS\r\n",
     Outcome::kStop},
    kCountryCode,
    kLockStatus,
    kCpldVersion,
    {0xD002,
     {0x09, 0x12},
     "\r\nDSP Flash F/W version: QVX.CON.01.209\r\n",
     "\nReceived response verification failed for UPD_GET_DSPFLASH_FW_VER\r\n",
     Outcome::kStop},
};

class RunnerCheckTest : public ReplyCheckTest {
 protected:
  static void OwnedByDetection(ProbeDialog& dialog) {
    dialog.m_nDetectionMode = 1;
    dialog.m_nCVMMode = 0;
  }
  static void OwnedByRadioModule(ProbeDialog& dialog) {
    dialog.m_nDetectionMode = 0;
    dialog.m_nCVMMode = 1;
  }
};

TEST_F(RunnerCheckTest, DetectionRowsInBothWindows) {
  for (const bool engineering : {false, true}) {
    InWindow(engineering, [&](ProbeDialog& dialog) {
      OwnedByDetection(dialog);
      if (engineering) {
        ExpectEveryRowInTheEngineeringWindow(dialog, kDetectionRows, WM_UPG_DETECTION_REPLY);
      } else {
        ExpectEveryRowInTheWizard(dialog, kDetectionRows, WM_UPG_NEXT_DETECTION_TASK,
                                  WM_UPG_DETECTION_REPLY);
      }
    });
  }
}

TEST_F(RunnerCheckTest, RadioModuleRowsInBothWindows) {
  for (const bool engineering : {false, true}) {
    InWindow(engineering, [&](ProbeDialog& dialog) {
      OwnedByRadioModule(dialog);
      if (engineering) {
        ExpectEveryRowInTheEngineeringWindow(dialog, kRadioModuleRows, WM_UPG_CVM_REPLY);
      } else {
        ExpectEveryRowInTheWizard(dialog, kRadioModuleRows, WM_UPG_NEXT_CVM_TASK, WM_UPG_CVM_REPLY);
      }
    });
  }
}

TEST_F(RunnerCheckTest, DeviceJobsResetTheCountAndOnlyDetectionForgetsTheDevice) {
  struct Case {
    bool detection;
    platform::UINT runner;
    int device_state_after_failure;
  };
  const Case cases[] = {{true, WM_UPG_NEXT_DETECTION_TASK, 3}, {false, WM_UPG_NEXT_CVM_TASK, 0}};
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const Case& c : cases) {
      c.detection ? OwnedByDetection(dialog) : OwnedByRadioModule(dialog);
      ArmRow(dialog);
      dialog.m_nRetryCount = 2;
      SendDeviceResult(dialog, 4, true);
      ExpectOutcome(dialog, Outcome::kContinue, 0, "found");
      EXPECT_EQ(dialog.m_nRetryCount, 0);

      ArmRow(dialog);
      dialog.m_nDeviceState = 0;
      SendDeviceResult(dialog, 4, false);
      ExpectOutcome(dialog, Outcome::kRetry, c.runner, "not found");
      EXPECT_EQ(dialog.m_nDeviceState, c.device_state_after_failure);
    }
  });
}

TEST_F(RunnerCheckTest, FourthFailureAbortsWithTheWarningHidden) {
  // The second detection failure brings up the recovery dialog; nobody answers it here.
  CloseDialogsOnOpen({IDD_RECOVERY_DIALOG});
  struct AbortCase {
    bool detection;
    int command;  // kDeviceJob: a failed identify, which also clears the step text
  };
  const AbortCase cases[] = {{true, kDeviceJob},  {true, 0xD002},  {true, 0xD003}, {true, 0xD01C},
                             {false, kDeviceJob}, {false, 0xD003}, {false, 0xD01C}};
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const AbortCase& c : cases) {
      const std::string where =
          platform::Format("%s, 0x%04X", c.detection ? "detection" : "radio module", c.command);
      c.detection ? OwnedByDetection(dialog) : OwnedByRadioModule(dialog);
      ArmRow(dialog);
      dialog.ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
      dialog.SetControlText(IDC_STEP_TEXT, "Step 2 of 6");
      // As a second detection failure: the recovery dialog, the step text left to the check.
      dialog.m_nDetectionFailures = 1;
      const auto fail = [&] {
        Arm(dialog);
        if (c.command == kDeviceJob) {
          SendDeviceResult(dialog, 0, false);
        } else {
          SendReply(dialog, c.command, false, {});
        }
      };
      for (int count = 1; count <= 3; ++count) fail();
      EXPECT_EQ(dialog.m_nRetryCount, 3) << where;
      EXPECT_TRUE(Visible(dialog, IDC_WARNING_TEXT)) << where;
      fail();
      ExpectOutcome(dialog, Outcome::kStop, 0, where);
      EXPECT_EQ(dialog.m_nRetryCount, 0) << where;
      EXPECT_EQ(g_bAbort, 1) << where;
      EXPECT_EQ(dialog.m_bAborted, 1) << where;
      EXPECT_FALSE(Visible(dialog, IDC_WARNING_TEXT)) << where;
      EXPECT_EQ(dialog.GetDlgItemText(IDC_STEP_TEXT), c.command == kDeviceJob ? "" : "Step 2 of 6")
          << where;
    }
  });
}

class DetectionRecoveryTest : public RecoveryEndingTest {};

TEST_P(DetectionRecoveryTest, ASecondDetectionFailureHaltsOnlyWhenItsDialogEndsWithoutAChoice) {
  InWindow(false, [&](ProbeDialog& dialog) {
    dialog.m_nDetectionMode = 1;
    // The retried version query's abort, and the end of the enable-USB restarts.
    ExpectEnding(dialog, [&] {
      dialog.m_nDetectionFailures = 1;
      dialog.m_nRetryCount = 3;
      SendReply(dialog, 0xD002, false, {});
    });
    ExpectEnding(dialog, [&] {
      dialog.m_nDetectionFailures = 1;
      dialog.m_nEnableUSBFailures = 2;
      SendReply(dialog, 0xD0AA, false, {});
    });
  });
}

INSTANTIATE_TEST_SUITE_P(RunnerCheckTest, DetectionRecoveryTest,
                         testing::ValuesIn(upgrade_app_test::kRecoveryEndings),
                         upgrade_app_test::RecoveryEndingName);

TEST_F(RunnerCheckTest, EnableUsbFailuresRestartDetectionTwiceAndAreCountedAcrossRestarts) {
  // The second detection failure brings up the recovery dialog; nobody answers it here.
  CloseDialogsOnOpen({IDD_RECOVERY_DIALOG});
  InWindow(false, [&](ProbeDialog& dialog) {
    OwnedByDetection(dialog);
    ArmRow(dialog);
    dialog.ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
    for (const int expected_count : {1, 2}) {
      Arm(dialog);
      SendReply(dialog, 0xD0AA, false, {});
      ExpectOutcome(dialog, Outcome::kRestart, 0, "restart");
      EXPECT_EQ(dialog.m_nEnableUSBFailures, expected_count);
    }
    // A good reply in between does not forget the failures.
    Arm(dialog);
    SendReply(dialog, 0xD0AA, true, {});
    EXPECT_EQ(dialog.m_nEnableUSBFailures, 2);

    Arm(dialog);
    SendReply(dialog, 0xD0AA, false, {});
    ExpectOutcome(dialog, Outcome::kStop, 0, "third enable-USB failure");
    EXPECT_EQ(dialog.m_nEnableUSBFailures, 0);
    EXPECT_FALSE(Visible(dialog, IDC_WARNING_TEXT));
    EXPECT_EQ(g_bAbort, 0) << "the detection-failed end is no abort";

    // Enable USB upgrade leaves one more than the failures at the third, so the next failure
    // of either command ends detection at once.
    for (const int expected_count : {1, 2, 4}) {
      Arm(dialog);
      SendReply(dialog, 0xD0AC, false, {});
      EXPECT_EQ(dialog.m_nEnableUSBFailures, expected_count);
    }
    Arm(dialog);
    SendReply(dialog, 0xD0AA, false, {});
    ExpectOutcome(dialog, Outcome::kStop, 0, "fifth failure");
    EXPECT_EQ(dialog.m_nEnableUSBFailures, 0);
  });
}

TEST_F(RunnerCheckTest, VersionVerdictsOfTheRunnersLookAtTheMainStep) {
  // ActiveTask judges by the main table's current step, whatever runner asked.
  constexpr int kMainStep = 2;
  struct Case {
    bool detection;
    int command;
    Bytes payload;
    std::string file_version;
    int phase_before, phase_after, step_after;
  };
  const Case cases[] = {
      {true, 0xD001, {'6', '0', '1', 'C'}, "C106", 0, 0, 9},
      {true, 0xD001, {'6', '0', '1', 'C'}, "C107", 0, 0, kMainStep},
      {true, 0xD003, {0x05, 0x01}, "1.05", 0, 0, kMainStep},
      {true, 0xD003, {0x05, 0x01}, "1.10", 4, 1, kMainStep},
      {false, 0xD003, {0x05, 0x01}, "1.10", 0, 1, kMainStep},
      {false, 0xD003, {0x05, 0x01}, "1.10", 4, 4, kMainStep},
      {false, 0xD001, {'6', '0', '1', 'C'}, "C106", 0, 0, 9},
  };
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const Case& c : cases) {
      const std::string where = platform::Format("%s, 0x%04X against %s, phase %d",
                                                 c.detection ? "detection" : "radio module",
                                                 c.command, c.file_version.c_str(), c.phase_before);
      c.detection ? OwnedByDetection(dialog) : OwnedByRadioModule(dialog);
      app_.m_strCPLDFileVer = app_.m_strCVMFileVer = c.file_version;
      CompareAtMainStep(dialog, kMainStep, c.command);
      dialog.m_nCVMPhase = c.phase_before;
      ArmRow(dialog);
      SendReply(dialog, c.command, true, c.payload);
      ExpectOutcome(dialog, Outcome::kContinue, 0, where);
      EXPECT_EQ(dialog.m_nCVMPhase, c.phase_after) << where;
      EXPECT_EQ(dialog.m_nCurrentStep, c.step_after) << where;
    }
  });
}

TEST_F(RunnerCheckTest, RadioParametersReplyShowsTheVerificationStepInTheWizard) {
  InWindow(false, [&](ProbeDialog& dialog) {
    OwnedByRadioModule(dialog);
    ArmRow(dialog);
    SendReply(dialog, 0xD01A, true, {});
    ExpectOutcome(dialog, Outcome::kContinue, 0, "0xD01A");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STEP_TEXT),
              "Step 5 of 6 - Preparing Halcyra for radio parameters verification...\r\n");
  });
}

TEST_F(RunnerCheckTest, APostedCheckActsOnTheReplyItsMessageBroughtWhateverTheWorkerReadsNext) {
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const bool detection : {true, false}) {
      const std::string where = detection ? "detection" : "radio module";
      detection ? OwnedByDetection(dialog) : OwnedByRadioModule(dialog);
      ArmRow(dialog);
      dialog.m_nCountryCode = 0;
      CUpGradeThread& worker = *dialog.m_pUpgradeThread;
      worker.m_arrReply = DecodedReply(0xD01C, {0x02});
      worker.m_bReplyVerified = 1;
      worker.m_bReplyReceived = 1;
      dialog.m_nPendingCommand = 0xD01C;
      dialog.SendMessage(WM_UPG_REPLY, 0, 0);
      // Before the posted check runs, the worker reads another report and sends it on.
      worker.m_arrReply = DecodedReply(0xD0AA, {});
      worker.m_bReplyVerified = 0;
      dialog.SendMessage(WM_UPG_REPLY, 0, 0);
      Drain(dialog);
      EXPECT_EQ(dialog.m_nCountryCode, 2) << where;
      EXPECT_EQ(dialog.m_nRetryCount, 0) << where;
      ExpectOutcome(dialog, Outcome::kContinue, 0, where);
      ExpectRoute(dialog, detection ? WM_UPG_DETECTION_REPLY : WM_UPG_CVM_REPLY, where);
      EXPECT_FALSE(dialog.m_postedReply.has_value()) << where;
    }
  });
}

TEST_F(RunnerCheckTest, ACheckCutShortShowsItsBoxAndHalts) {
  struct Case {
    bool detection;
    std::string box;
  };
  const Case cases[] = {{true, "Exception catched in OnReceivedResponse"},
                        {false, "Exception catched in OnCVMReceivedResponse"}};
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const Case& c : cases) {
      c.detection ? OwnedByDetection(dialog) : OwnedByRadioModule(dialog);
      ArmRow(dialog);
      CUpGradeThread& worker = *dialog.m_pUpgradeThread;
      worker.m_arrReply = {0xD1, 0x1C};
      worker.m_bReplyVerified = 1;
      worker.m_bReplyReceived = 1;
      dialog.m_nPendingCommand = 0xD01C;
      dialog.SendMessage(WM_UPG_REPLY, 0, 0);
      Drain(dialog);
      ASSERT_FALSE(ui_->Boxes().empty());
      EXPECT_EQ(ui_->Boxes().back().text, c.box);
      EXPECT_TRUE(Halted(dialog)) << c.box;
      EXPECT_EQ(dialog.m_nPendingCommand, -1) << c.box;
    }
  });
}

}  // namespace
