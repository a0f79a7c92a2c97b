#include <gtest/gtest.h>

#include <string>

#include "device_link/command_codes.h"
#include "device_link/upgrade_thread.h"
#include "tests/unit/upgrade_app/flow/flow_fixture.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/step_tables.h"

namespace {

using upgrade_flow_test::FlowTest;
using upgrade_flow_test::WatchedWindow;

constexpr char kCaption[] = "Halcyra Software Upgrade";

// The three runners, each with its message and its step index.
struct RunnerCase {
  const char* name;
  platform::UINT message;
  int CCorvikUpgradeDlg::*index;
};

const RunnerCase kRunners[] = {
    {"detection", WM_UPG_NEXT_DETECTION_TASK, &CCorvikUpgradeDlg::m_nDetectionStep},
    {"radio module", WM_UPG_NEXT_CVM_TASK, &CCorvikUpgradeDlg::m_nCVMStep},
    {"recovery", WM_UPG_NEXT_BB_TASK, &CCorvikUpgradeDlg::m_nBBStep},
};

TEST_F(FlowTest, DetectionStartsAtTheResetStepWithFreshModesAndVersions) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  Run(window,
      {[&] {
         window.m_nPhase = 1;
         window.m_nCVMMode = 1;
         window.m_nBBMode = 1;
         window.m_nConsoleMode = 1;
         window.m_nDSPMajor = 1;
         window.m_nDSPMinor = 209;
         window.m_nCVMMajor = 1;
         window.m_nCVMMinor = 16;
         window.SendMessage(WM_UPG_START_DETECTION);
       },
       [&] {
         EXPECT_EQ(TaskRows(window).size(), 5U);
         EXPECT_EQ(window.m_nDetectionStep, 1);
         EXPECT_EQ(window.m_nDetectionMode, 1);
         EXPECT_EQ(window.m_nCVMMode + window.m_nBBMode + window.m_nConsoleMode, 0);
         EXPECT_EQ(
             window.m_nDSPMajor + window.m_nDSPMinor + window.m_nCVMMajor + window.m_nCVMMinor, 0);
         // The runner took step 1: a device reset with the step's time-out.
         EXPECT_EQ(Worker(window).m_nTaskKind, TASK_RESET_DEVICE);
         EXPECT_EQ(window.m_nPendingCommand, 1);
         EXPECT_EQ(window.m_nStepTimeout, 25000);
         EXPECT_EQ(window.m_nStepDelay, 10000);
         EXPECT_NE(window.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
         EXPECT_FALSE(Enabled(window, IDC_UPGRADE));
         EXPECT_FALSE(window.CanChooseSystemCommand(platform::SC_CLOSE));
       }});
}

TEST_F(FlowTest, EachRunnerTracesItsStepAndHandsTheJobOver) {
  app_.m_bEngineeringMode = 1;
  WatchedWindow window(IDD_ENGINEERING_WINDOW);
  Run(window, {[&] {
        window.m_nPhase = 3;
        SetTaskMapforCorvikDetection(&window);
        window.m_nDetectionStep = 4;
        window.SendMessage(WM_UPG_NEXT_DETECTION_TASK);
        // The detection runner names the step's argument: the command code in decimal.
        EXPECT_EQ(window.m_strStatusText, "OnExecuteTaskList: Init Task# :53418\r\n");
        EXPECT_EQ(Worker(window).m_nTaskCommand, static_cast<int>(UPD_ENABLE_USB));
        EXPECT_EQ(window.m_nPendingCommand, static_cast<int>(UPD_ENABLE_USB));
        EXPECT_TRUE(Enabled(window, platform::IDOK));

        window.m_nDetectionStep = 2;
        window.SendMessage(WM_UPG_NEXT_DETECTION_TASK);
        EXPECT_EQ(window.m_strStatusText, "OnExecuteTaskList: Init Task# :1\r\n");
        EXPECT_EQ(Worker(window).m_nTaskKind, TASK_IDENTIFY_DEVICE);

        // The other two name the step number, and take Exit away while their step runs.
        window.SetTaskMapVerification();
        window.m_nCVMStep = 6;
        window.SendMessage(WM_UPG_NEXT_CVM_TASK);
        EXPECT_EQ(window.m_strStatusText, "OnExecuteCVMTaskMap: Init Task# :6\r\n");
        EXPECT_EQ(window.m_nCVMMode, 1);
        EXPECT_EQ(window.m_nDetectionMode, 0);
        EXPECT_EQ(Worker(window).m_nTaskCommand, static_cast<int>(UPD_GET_RADIO_STATUS));
        EXPECT_EQ(window.m_nStepTimeout, 10000);
        EXPECT_EQ(window.m_nStepDelay, 6000);
        EXPECT_FALSE(Enabled(window, platform::IDOK));

        SetTaskMapBBRecovery(&window);
        window.m_nBBStep = 1;
        window.SendMessage(WM_UPG_NEXT_BB_TASK);
        EXPECT_EQ(window.m_strStatusText, "OnExecuteBBRecovery: Init Task# :1\r\n");
        EXPECT_EQ(window.m_nBBMode, 1);
        EXPECT_EQ(window.m_nCVMMode, 0);
        EXPECT_EQ(Worker(window).m_nTaskKind, TASK_IDENTIFY_DEVICE);
        EXPECT_FALSE(Enabled(window, platform::IDOK));
      }});
}

TEST_F(FlowTest, EveryRunnerPassesOverSkippedStepsAndEndsAtOnceWhenAllAreSkipped) {
  for (const RunnerCase& runner : kRunners) {
    SCOPED_TRACE(runner.name);
    WatchedWindow window(IDD_WIZARD_WINDOW);
    Run(window, {[&] {
          window.m_mapTask.RemoveAll();
          AddRow(window, 1, kStepCommand, 0xD002, kStepSkipped);
          AddRow(window, 2, kStepIdentify, 1, kStepSkipped);
          AddRow(window, 3, kStepIdentify, 1);
          AddRow(window, 4, kStepIdentify, 1, kStepSkipped);
          window.*runner.index = 1;
          window.SendMessage(runner.message);
          EXPECT_EQ(window.*runner.index, 3);
          EXPECT_EQ(Worker(window).m_nTaskKind, TASK_IDENTIFY_DEVICE);

          // From step 4 on everything is skipped: the end of the table comes at once.
          window.*runner.index = 4;
          window.SendMessage(runner.message);
          EXPECT_EQ(window.*runner.index, 0);
        }});
    FinishWorker();
  }
}

TEST_F(FlowTest, AStepTheRunnerDoesNotActOnHandsNothingOverAndGivesTheWayOutBack) {
  struct Unhandled {
    platform::UINT message;
    int CCorvikUpgradeDlg::*index;
    int type;
  };
  const Unhandled cases[] = {
      {WM_UPG_NEXT_DETECTION_TASK, &CCorvikUpgradeDlg::m_nDetectionStep, kStepDspImage},
      {WM_UPG_NEXT_CVM_TASK, &CCorvikUpgradeDlg::m_nCVMStep, kStepDspImage},
      {WM_UPG_NEXT_BB_TASK, &CCorvikUpgradeDlg::m_nBBStep, kStepCommand},
      {WM_UPG_NEXT_BB_TASK, &CCorvikUpgradeDlg::m_nBBStep, kStepCvmImage},
  };
  for (const Unhandled& unhandled : cases) {
    SCOPED_TRACE(unhandled.type);
    WatchedWindow window(IDD_WIZARD_WINDOW);
    Run(window, {[&] {
          window.m_mapTask.RemoveAll();
          AddRow(window, 1, unhandled.type, 0xD0AA);
          window.*unhandled.index = 1;
          window.SendMessage(unhandled.message);
          EXPECT_EQ(Worker(window).m_nTaskKind, TASK_NONE);
          EXPECT_EQ(window.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
          EXPECT_EQ(window.*unhandled.index, 1);
          EXPECT_TRUE(WayOutGiven(window));
        }});
    FinishWorker();
  }
}

TEST_F(FlowTest, TheRadioModuleRunnerHandsItsSpecialStepsToTheirHandlers) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  window.Hold(WM_UPG_SEND_CVM_HEADER);
  window.Hold(WM_UPG_START_CONSOLE_PARAMS);
  Run(window, {[&] {
        window.m_mapTask.RemoveAll();
        AddRow(window, 1, kStepCommand, UPD_SEND_CVM_HEADER);
        AddRow(window, 2, kStepCommand, UPD_INIT_UPGRADE_RADIOPARAMS);
        AddRow(window, 3, kStepConsoleParams, 0);

        window.m_nCVMStep = 1;
        window.SendMessage(WM_UPG_NEXT_CVM_TASK);
        EXPECT_TRUE(window.Took(WM_UPG_SEND_CVM_HEADER));
        EXPECT_EQ(Worker(window).m_nTaskKind, TASK_NONE);

        window.m_nCVMStep = 2;
        window.SendMessage(WM_UPG_NEXT_CVM_TASK);
        EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT),
                  "Configuring Halcyra radio parameters - please continue to wait...\r\n");
        EXPECT_EQ(Worker(window).m_nTaskCommand, static_cast<int>(UPD_INIT_UPGRADE_RADIOPARAMS));

        window.m_nCVMStep = 3;
        window.SendMessage(WM_UPG_NEXT_CVM_TASK);
        EXPECT_TRUE(window.Took(WM_UPG_START_CONSOLE_PARAMS));
      }});
}

TEST_F(FlowTest, FirstDetectionEndsInTheDspTableOnlyWhenTheSettingsAskForIt) {
  for (const platform::BYTE upgrade_dsp : {platform::BYTE{1}, platform::BYTE{0}}) {
    SCOPED_TRACE(static_cast<int>(upgrade_dsp));
    app_.m_bUpgradeDSP = upgrade_dsp;
    WatchedWindow window(IDD_WIZARD_WINDOW);
    window.Hold(WM_UPG_CHOOSE_DSP_MAP);
    Run(window, {[&] {
                   window.m_nPhase = 1;
                   window.m_mapTask.RemoveAll();
                   window.m_nDetectionStep = 6;
                   window.SendMessage(WM_UPG_NEXT_DETECTION_TASK);
                   EXPECT_EQ(window.m_nDetectionStep, 0);
                   EXPECT_EQ(window.m_nDetectionMode, 1);
                 },
                 [&] {
                   EXPECT_EQ(window.Took(WM_UPG_CHOOSE_DSP_MAP), upgrade_dsp != 0);
                   if (upgrade_dsp == 0) {
                     EXPECT_TRUE(WayOutGiven(window));
                   }
                   EXPECT_TRUE(ui_->Boxes().empty());
                 }});
    FinishWorker();
  }
}

TEST_F(FlowTest, DetectionBeforeTheRadioModuleUpgradeChecksTheCountryCode) {
  for (const int country : {0, 1, 2, 3, -1}) {
    SCOPED_TRACE(country);
    const std::size_t boxes_before = ui_->Boxes().size();
    g_bAbort = 0;
    WatchedWindow window(IDD_WIZARD_WINDOW);
    window.Hold(WM_UPG_START_CVM_UPGRADE);
    Run(window, {[&] {
                   window.m_nPhase = 3;
                   window.m_nCountryCode = country;
                   window.m_mapTask.RemoveAll();
                   window.SendMessage(WM_UPG_NEXT_DETECTION_TASK);
                 },
                 [&] {
                   const bool valid = country >= 0 && country <= 2;
                   EXPECT_EQ(window.Took(WM_UPG_START_CVM_UPGRADE), valid);
                   EXPECT_EQ(Visible(window, IDC_STEP_TEXT), valid);
                   const auto boxes = ui_->Boxes();
                   if (valid) {
                     EXPECT_EQ(boxes.size(), boxes_before);
                     EXPECT_EQ(window.m_nPhase, 3);
                     return;
                   }
                   ASSERT_EQ(boxes.size(), boxes_before + 1);
                   EXPECT_EQ(boxes.back().text,
                             "Upgrade aborted, Invalid Country Code programmed on the "
                             "console!!!\r\n");
                   EXPECT_EQ(boxes.back().caption, kCaption);
                   EXPECT_EQ(boxes.back().flags, platform::MB_OK | platform::MB_ICONINFORMATION);
                   EXPECT_EQ(boxes.back().owner_template, IDD_WIZARD_WINDOW);
                   // The flow was reset.
                   EXPECT_EQ(window.m_nPhase, 0);
                   EXPECT_EQ(window.m_nDetectionMode, 0);
                   EXPECT_EQ(g_bAbort, 1);
                   EXPECT_TRUE(WayOutGiven(window));
                 }});
    FinishWorker();
  }
}

TEST_F(FlowTest, DetectionInAnyOtherPhaseEndsWithTheWayOutGiven) {
  for (const int phase : {0, 2}) {
    SCOPED_TRACE(phase);
    app_.m_bUpgradeDSP = 1;
    WatchedWindow window(IDD_WIZARD_WINDOW);
    Run(window, {[&] {
                   window.m_nPhase = phase;
                   window.EnableControl(platform::IDOK, platform::FALSE);
                   window.m_mapTask.RemoveAll();
                   window.SendMessage(WM_UPG_NEXT_DETECTION_TASK);
                 },
                 [&] {
                   EXPECT_TRUE(WayOutGiven(window));
                   EXPECT_FALSE(window.Took(WM_UPG_CHOOSE_DSP_MAP));
                   EXPECT_FALSE(window.Took(WM_UPG_START_CVM_UPGRADE));
                 }});
    FinishWorker();
  }
}

class VerdictTest : public FlowTest {
 protected:
  // Ends the verification table with the console's radio-module version and radio status;
  // `options` answers the status question dialog if it opens.
  void EndVerification(WatchedWindow& window, const std::string& version, int radio_status,
                       const std::function<void(platform::Dialog&)>& options) {
    app_.m_strCVMFileVer = "1.10";
    app_.m_bSendingCVMFile = 1;
    Run(window, {[&] {
          window.m_nCVMPhase = 4;
          window.m_strCVMVersion = version;
          window.m_nRadioStatus = radio_status;
          window.m_nPhase = 3;
          window.ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
          window.SetTaskMapVerification();
          window.m_nCVMStep = 8;
          platform::PostClosure(platform::GetCurrentThreadId(), [&] {
            platform::Dialog* const top = TopDialog();
            ASSERT_NE(top, nullptr);
            if (top->GetTemplateId() == IDD_OPTIONS_DIALOG) options(*top);
          });
          window.SendMessage(WM_UPG_NEXT_CVM_TASK);
          EXPECT_EQ(window.m_nCVMStep, 0);
          EXPECT_EQ(window.m_nCVMPhase, 0);
          EXPECT_EQ(app_.m_bSendingCVMFile, 0);
          EXPECT_FALSE(Visible(window, IDC_WARNING_TEXT));
          EXPECT_TRUE(WayOutGiven(window));
        }});
  }
};

TEST_F(VerdictTest, TheSameVersionAndAVerifiedRadioResetTheFlowAndAskWhatTheDisplayShows) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  bool asked = false;
  EndVerification(window, "1.10", 1, [&](platform::Dialog& options) {
    asked = true;
    // The flow was reset before the question.
    EXPECT_EQ(window.m_nPhase, 0);
    EXPECT_EQ(window.m_nCVMMode, 0);
    EXPECT_EQ(g_bAbort, 1);
    options.SendMessage(platform::WM_CLOSE);
  });
  EXPECT_TRUE(asked);
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(VerdictTest, AnUnverifiedRadioOrAnotherVersionIsReportedAsAFailedUpgrade) {
  const std::pair<std::string, int> failures[] = {{"1.10", 0}, {"1.1a", 1}, {"1.0f", 1}};
  for (const auto& [version, radio_status] : failures) {
    SCOPED_TRACE(version);
    WatchedWindow window(IDD_WIZARD_WINDOW);
    const std::size_t boxes_before = ui_->Boxes().size();
    EndVerification(window, version, radio_status,
                    [](platform::Dialog&) { ADD_FAILURE() << "no question after a failure"; });
    const auto boxes = ui_->Boxes();
    ASSERT_EQ(boxes.size(), boxes_before + 1);
    EXPECT_EQ(boxes.back().text,
              "Upgrade was NOT successful.\n\nPlease close and re-open this application.\n\n"
              "Then power cycle the console and restart the upgrade.\n");
    EXPECT_EQ(boxes.back().caption, kCaption);
    EXPECT_EQ(boxes.back().flags, platform::MB_OK | platform::MB_ICONERROR);
    // The verdict does not reset the flow.
    EXPECT_EQ(window.m_nPhase, 3);
    FinishWorker();
  }
}

TEST_F(FlowTest, TheRadioModuleTableEndsWithoutAVerdictAfterAnAbortAndGivesTheWayOutEitherWay) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  app_.m_bSendingCVMFile = 1;
  const auto take_way_out = [&window] {
    window.DisableAllButtons();
    window.EnableControl(platform::IDOK, platform::FALSE);
  };
  Run(window, {[&] {
        window.SetControlText(IDC_STEP_TEXT, "Step 6 of 6");
        window.m_nCVMPhase = 4;
        window.ResetUpgradeFlow();  // leaves g_bAbort set
        window.m_nCVMPhase = 4;
        take_way_out();
        window.m_mapTask.RemoveAll();
        window.m_nCVMStep = 3;
        window.SendMessage(WM_UPG_NEXT_CVM_TASK);
        EXPECT_EQ(window.m_nCVMStep, 0);
        EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT), "");
        EXPECT_EQ(window.m_nCVMPhase, 4);
        EXPECT_EQ(app_.m_bSendingCVMFile, 1);
        EXPECT_TRUE(WayOutGiven(window));

        // The end of the radio-module or console table (no verification running).
        g_bAbort = 0;
        window.m_nCVMPhase = 0;
        take_way_out();
        window.SendMessage(WM_UPG_NEXT_CVM_TASK);
        EXPECT_EQ(app_.m_bSendingCVMFile, 0);
        EXPECT_TRUE(WayOutGiven(window));
      }});
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(FlowTest, RecoveryIdentifiesThenDownloadsTheCompositeImage) {
  app_.m_strDSPFilePath = "C:\\Corvik\\QVX.CON.01.607.bin";
  app_.m_strCompositeFilePath = "C:\\Corvik\\QVX.CON.01.607.COMP.bin";
  g_bAbort = 1;
  {
    WatchedWindow window(IDD_WIZARD_WINDOW);
    Run(window, {[&] { window.SendMessage(WM_UPG_BOOTROM_RECOVERY); },
                 [&] {
                   EXPECT_EQ(TaskRows(window).size(), 2U);
                   EXPECT_FALSE(Enabled(window, IDC_UPGRADE));
                   EXPECT_FALSE(Enabled(window, platform::IDOK));
                   EXPECT_EQ(window.m_nBBStep, 1);
                   EXPECT_EQ(window.m_nBBMode, 1);
                   EXPECT_EQ(Worker(window).m_nTaskKind, TASK_IDENTIFY_DEVICE);
                   EXPECT_EQ(window.m_nPendingCommand, 1);

                   window.m_nPendingCommand = CCorvikUpgradeDlg::kNothingPending;
                   window.m_nBBStep = 2;
                   window.SendMessage(WM_UPG_NEXT_BB_TASK);
                 },
                 [&] {
                   ASSERT_TRUE(window.Took(WM_UPG_SEND_BB_DSP_FILE));
                   const CUpGradeThread& worker = Worker(window);
                   EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_DSP_FILE);
                   EXPECT_EQ(worker.m_strTaskFilePath, app_.m_strCompositeFilePath);
                   EXPECT_EQ(worker.m_bAutoDelete, platform::FALSE);
                   EXPECT_EQ(app_.m_bSendingDSPFile, 1);
                   EXPECT_EQ(g_bAbort, 0);
                   EXPECT_EQ(window.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
                   EXPECT_NE(window.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
                   EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT),
                             "Step 2 of 6 - Upgrading Halcyra firmware...\r\n");
                   EXPECT_TRUE(Visible(window, IDC_WARNING_TEXT));
                   EXPECT_FALSE(Enabled(window, platform::IDOK));
                   EXPECT_FALSE(window.CanChooseSystemCommand(platform::SC_CLOSE));

                   // Past its last step the recovery gives the window back.
                   window.m_nBBStep = 3;
                   window.SendMessage(WM_UPG_NEXT_BB_TASK);
                   EXPECT_EQ(window.m_nBBStep, 0);
                   EXPECT_EQ(window.m_nBBMode, 0);
                   EXPECT_TRUE(WayOutGiven(window));
                 }});
  }
  // The window's end asks the worker to end, after the jobs it was given.
  FinishWorker();
  // Identify and the download: two jobs.
  EXPECT_EQ(WorkerMessages(),
            (std::vector<platform::UINT>{WM_UPG_RUN_TASK, WM_UPG_RUN_TASK, WM_UPG_END_THREAD}));
}

TEST_F(FlowTest, ResetUpgradeFlowPutsTheFlowToIdleAndStopsItsTimers) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  platform::Millis reset_at = 0;
  Run(window, {[&] {
                 window.StartTimer(20000, kReplyTimerKind);
                 window.StartTimer(2000, kStepTimerKind);
                 for (int* field :
                      {&window.m_nPendingCommand, &window.m_nRetryCount, &window.m_nDetectionStep,
                       &window.m_nCVMStep, &window.m_nCurrentStep, &window.m_nDetectionFailures,
                       &window.m_nEnableUSBFailures, &window.m_nDetectionMode, &window.m_nCVMMode,
                       &window.m_nConsoleMode, &window.m_nCVMPhase, &window.m_nPhase,
                       &window.m_nBBMode, &window.m_nBBStep, &window.m_nConsoleStep}) {
                   *field = 3;
                 }
                 window.m_bAborted = 1;
                 window.SetControlText(IDC_STEP_TEXT, "Step 3 of 6");
                 window.DisableAllButtons();
                 window.EnableControl(platform::IDOK, platform::FALSE);

                 window.ResetUpgradeFlow();
                 reset_at = platform::GetClock().Now();
                 EXPECT_EQ(window.m_nPendingCommand, -1);
                 EXPECT_EQ(window.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
                 EXPECT_EQ(window.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
                 EXPECT_EQ(window.m_nRetryCount + window.m_nDetectionStep + window.m_nCVMStep +
                               window.m_nCurrentStep + window.m_nDetectionFailures +
                               window.m_nEnableUSBFailures + window.m_nDetectionMode +
                               window.m_nCVMMode + window.m_nConsoleMode + window.m_nCVMPhase +
                               window.m_nPhase + window.m_bAborted,
                           0);
                 EXPECT_EQ(window.m_nBBMode, 3);
                 EXPECT_EQ(window.m_nBBStep, 3);
                 EXPECT_EQ(window.m_nConsoleStep, 3);
                 EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT), "");
                 EXPECT_TRUE(WayOutGiven(window));
                 EXPECT_EQ(g_bAbort, 1);
               },
               // Well past both periods: a timer left running would have fired by now.
               {[] {}, 30000}});
  EXPECT_FALSE(window.Took(platform::WM_TIMER)) << "a timer outlived the reset at " << reset_at;
}

}  // namespace
