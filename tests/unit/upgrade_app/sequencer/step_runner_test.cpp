// The main runner, the job senders and the map starters, against the recording worker.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "tests/unit/upgrade_app/sequencer/sequencer_fixture.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/step_tables.h"

namespace {

using upgrade_app_test::SequencerTest;

constexpr platform::INT_PTR kReplyTimerRunning = 110;

class StepRunnerTest : public SequencerTest {
 protected:
  int RunTaskCount() const {
    const std::vector<platform::UINT> messages = WorkerMessages();
    return static_cast<int>(std::count(messages.begin(), messages.end(), WM_UPG_RUN_TASK));
  }
  // Runs `body` inside a window of the given mode, then closes it.
  void InWindow(bool engineering, const std::function<void(CCorvikUpgradeDlg&)>& body) {
    app_.m_bEngineeringMode = engineering ? 1 : 0;
    CCorvikUpgradeDlg dialog(engineering ? IDD_ENGINEERING_WINDOW : IDD_WIZARD_WINDOW);
    RunModal(dialog, [&] {
      body(dialog);
      dialog.SendMessage(platform::WM_CLOSE);
    });
  }
};

TEST_F(StepRunnerTest, CommandSendersWriteTheJobThenPostResumeAndWait) {
  InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    dialog.SendStepCommand(0xD0AA);
    EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(worker.m_nTaskCommand, 0xD0AA);
    EXPECT_EQ(worker.m_bTaskHasPayload, 0);
    EXPECT_EQ(worker.m_bAutoDelete, platform::FALSE);
    EXPECT_EQ(dialog.m_nPendingCommand, 0xD0AA);
    EXPECT_EQ(dialog.m_nReplyTimer, kReplyTimerRunning);
    EXPECT_NE(dialog.WorkerEnd(), nullptr) << "the worker was resumed";

    dialog.m_nStepTimeout = 2000;
    const std::vector<platform::BYTE> payload(32, 0x5A);
    dialog.GenericSendCommandN(0xD00B, payload);
    EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(worker.m_nTaskCommand, 0xD00B);
    EXPECT_EQ(worker.m_arrTaskPayload, payload);
    EXPECT_EQ(worker.m_bTaskHasPayload, 1);
    EXPECT_EQ(dialog.m_nPendingCommand, 0xD00B);

    dialog.GenericIdentifyUSBDevice(1);
    EXPECT_EQ(worker.m_nTaskKind, TASK_IDENTIFY_DEVICE);
    EXPECT_EQ(worker.m_nTaskCommand, 1);
    EXPECT_EQ(worker.m_bTaskHasPayload, 0);
    EXPECT_EQ(dialog.m_nPendingCommand, 1);

    dialog.GenericResetDevice(1);
    EXPECT_EQ(worker.m_nTaskKind, TASK_RESET_DEVICE);
    EXPECT_EQ(dialog.m_nPendingCommand, 1);
    Settle();
  });
  FinishWorker();
  EXPECT_EQ(RunTaskCount(), 4);
}

TEST_F(StepRunnerTest, StepTimeoutAppliesToPayloadCommandsAndResetsOnlyInTheWizard) {
  for (const bool engineering : {false, true}) {
    InWindow(engineering, [&](CCorvikUpgradeDlg& dialog) {
      dialog.m_nStepTimeout = 2000;
      const platform::Millis start = Now();
      dialog.GenericResetDevice(1);
      while (dialog.m_nReplyTimer != CCorvikUpgradeDlg::kNoTimer) RunFor(100);
      EXPECT_EQ(Now() - start, engineering ? 20000 : 2000) << "engineering " << engineering;
    });
  }
}

TEST_F(StepRunnerTest, FileJobsTakeThePathOfTheStepAndLeaveThePendingCommand) {
  app_.m_strDSPFilePath = "C:\\fw\\dsp.bin";
  app_.m_strCPLDFilePath = "C:\\fw\\cpld.xsvf";
  app_.m_strBootBlockFilePath = "C:\\fw\\bootblock.bin";
  InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    SetTaskMapDSP1209(&dialog);
    const struct {
      int step;
      int kind;
      std::string path;
    } cases[] = {{18, TASK_SEND_DSP_FILE, "C:\\fw\\dsp.bin"},
                 {9, TASK_SEND_CPLD_FILE, "C:\\fw\\cpld.xsvf"},
                 {16, TASK_SEND_BOOTBLOCK_FILE, "C:\\fw\\bootblock.bin"}};
    for (const auto& job : cases) {
      dialog.m_nPendingCommand = 0xD005;
      dialog.m_nCurrentStep = job.step;
      dialog.GenericSendUSBFile();
      EXPECT_EQ(worker.m_nTaskKind, job.kind);
      EXPECT_EQ(worker.m_strTaskFilePath, job.path);
      EXPECT_EQ(worker.m_bAutoDelete, platform::FALSE);
      EXPECT_EQ(dialog.m_nPendingCommand, 0xD005);
      EXPECT_EQ(dialog.m_nReplyTimer, kReplyTimerRunning);
    }
    EXPECT_EQ(dialog.m_bSendBootBlock, 0) << "the boot block goes once";
    Settle();
  });
  FinishWorker();
  EXPECT_EQ(RunTaskCount(), 3);
}

TEST_F(StepRunnerTest, AMissingFileStepHandsNothingOverAndSaysSo) {
  InWindow(true, [&](CCorvikUpgradeDlg& dialog) {
    dialog.m_nCurrentStep = 5;
    dialog.GenericSendUSBFile();
    EXPECT_EQ(dialog.m_strStatusText, "\r\nTask Not Found Upgrade Abort\r\n");
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(Enabled(dialog, platform::IDOK));
  });
  EXPECT_EQ(RunTaskCount(), 0);
}

TEST_F(StepRunnerTest, InRadioModuleModeOnlyAnImageStepIsSentAndAnyOtherGivesTheWayOutBack) {
  InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
    dialog.SetTaskMapCVM();
    dialog.m_nCVMMode = 1;
    for (const int step : {1, 9}) {  // an identify step, no step at all
      SCOPED_TRACE(step);
      dialog.DisableAllButtons();
      dialog.EnableControl(platform::IDOK, platform::FALSE);
      dialog.m_nCVMStep = step;
      dialog.GenericSendUSBFile();
      EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
      EXPECT_TRUE(Enabled(dialog, platform::IDOK));
      EXPECT_TRUE(Enabled(dialog, IDC_UPGRADE));
      EXPECT_TRUE(dialog.CanChooseSystemCommand(platform::SC_CLOSE));
    }
  });
  EXPECT_EQ(RunTaskCount(), 0);
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(StepRunnerTest, TheFixedWaitTakesTwentyFiveSecondsAndMovesOn) {
  InWindow(true, [&](CCorvikUpgradeDlg& dialog) {
    dialog.SetTaskMapDSP1211(0x0C, kVariantDspFlash);
    dialog.m_nCurrentStep = 5;
    const platform::Millis start = Now();
    dialog.SendMessage(WM_UPG_NEXT_TASK);
    EXPECT_EQ(Now() - start, 25000);
    EXPECT_EQ(dialog.m_nCurrentStep, 6);
    EXPECT_EQ(dialog.m_strStatusText, "OnNextTaskInit: Init Task# :5\r\nDownloading DSP image.");
  });
  EXPECT_EQ(RunTaskCount(), 0);
}

TEST_F(StepRunnerTest, SkippedStepsArePassedOverAndTheEndOfTableGivesTheButtonsBack) {
  InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
    // Neither DSP nor CPLD wanted: only preparation and the wait remain.
    SetTaskMap(&dialog, 0x0C, kVariantDspFlash);
    dialog.m_nCurrentStep = 3;
    app_.m_bSendingDSPFile = 1;
    const platform::Millis start = Now();
    dialog.SendMessage(WM_UPG_NEXT_TASK);
    EXPECT_EQ(Now() - start, 25000) << "steps 3 to 12 skipped, step 13 waited";
    Settle();
    EXPECT_EQ(dialog.m_nCurrentStep, 15);
    EXPECT_EQ(app_.m_bSendingDSPFile, 0);
    EXPECT_TRUE(Enabled(dialog, IDC_UPGRADE));
    EXPECT_TRUE(Enabled(dialog, platform::IDOK));
    EXPECT_TRUE(dialog.CanChooseSystemCommand(platform::SC_CLOSE));

    // After an abort the download marks are kept, the abort itself is forgotten.
    g_bAbort = 1;
    app_.m_bSendingDSPFile = 1;
    dialog.SendMessage(WM_UPG_NEXT_TASK);
    EXPECT_EQ(app_.m_bSendingDSPFile, 1);
    EXPECT_EQ(g_bAbort, 0);
  });
  EXPECT_EQ(RunTaskCount(), 0);
}

TEST_F(StepRunnerTest, TheDspVersionChoosesTheTable) {
  const struct {
    int major, minor;
    std::size_t rows;
    int first_step;
  } cases[] = {{1, 209, 18, 1}, {1, 211, 7, 1},  {0, 5, 1, 10},
               {-1, 0, 1, 10},  {1, 210, 14, 1}, {2, 209, 14, 1}};
  for (const auto& version : cases) {
    InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
      dialog.m_nDSPMajor = version.major;
      dialog.m_nDSPMinor = version.minor;
      dialog.m_nDetectionMode = 1;
      dialog.m_nCVMMode = 1;
      dialog.m_strDSPVersion = "001.209";
      dialog.SendMessage(WM_UPG_CHOOSE_DSP_MAP);
      EXPECT_EQ(TaskRows(dialog).size(), version.rows) << version.major << "." << version.minor;
      EXPECT_EQ(dialog.m_nCurrentStep, version.first_step);
      EXPECT_EQ(dialog.m_nDetectionMode + dialog.m_nCVMMode, 0);
      EXPECT_TRUE(dialog.m_strDSPVersion.empty());
      EXPECT_FALSE(Enabled(dialog, IDC_UPGRADE));
      EXPECT_FALSE(Enabled(dialog, platform::IDOK));
      EXPECT_EQ(dialog.GetDlgItemText(IDC_STEP_TEXT),
                FindResourceString(IDS_STEP_UPGRADING_FIRMWARE));
    });
    FinishWorker();
  }
}

TEST_F(StepRunnerTest, OnlyTheStartersThatSayTheyDoClearTheAbort) {
  InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
    g_bAbort = 1;
    dialog.SendMessage(WM_UPG_START_DSP1209_MAP);
    EXPECT_EQ(g_bAbort, 1);
    dialog.SendMessage(WM_UPG_START_DSP1211_MAP);
    EXPECT_EQ(g_bAbort, 0);
    EXPECT_FALSE(dialog.CanChooseSystemCommand(platform::SC_CLOSE));
    g_bAbort = 1;
    dialog.m_strCVMVersion = "1.10";
    dialog.SendMessage(WM_UPG_START_VERIFICATION_MAP);
    EXPECT_EQ(g_bAbort, 1);
    EXPECT_EQ(dialog.m_strCVMVersion, "1.10") << "the verification keeps the versions";
    EXPECT_EQ(dialog.m_nCVMStep, 1);
    EXPECT_EQ(dialog.m_nRetryCount, 0);
  });
}

TEST_F(StepRunnerTest, UpgradeInTheEngineeringWindowOnlyForgetsTheDownloads) {
  InWindow(true, [&](CCorvikUpgradeDlg& dialog) {
    dialog.m_nDownloadsDone = 2;
    app_.m_bSendingCVMFile = 1;
    dialog.UpgradeOnclick();
    EXPECT_EQ(dialog.m_nDownloadsDone, 0);
    EXPECT_EQ(dialog.m_nPhase, 0);
    EXPECT_EQ(app_.m_bSendingCVMFile, 1);
  });
  InWindow(false, [&](CCorvikUpgradeDlg& dialog) {
    dialog.m_bAborted = 1;
    app_.m_bSendingCVMFile = 1;
    g_bAbort = 1;
    dialog.UpgradeOnclick();
    EXPECT_EQ(dialog.m_nPhase, 1);
    EXPECT_EQ(dialog.m_bAborted, 0);
    EXPECT_EQ(g_bAbort, 0);
    EXPECT_EQ(app_.m_bSendingCVMFile, 0) << "a download that never ran is not reported later";
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TITLE_TEXT), FindResourceString(IDS_FOLLOW_STEPS));
    EXPECT_TRUE(dialog.GetDlgItem(IDC_WARNING_TEXT)->IsWindowVisible());
  });
}

}  // namespace
