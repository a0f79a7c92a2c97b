#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device_link/upgrade_thread.h"
#include "platform/ui/ui_backend.h"
#include "tests/unit/upgrade_app/flow/flow_fixture.h"
#include "upgrade_app/resources/string_table.h"

namespace {

using upgrade_flow_test::FlowTest;
using upgrade_flow_test::WatchedWindow;

constexpr char kCaption[] = "Halcyra Software Upgrade";
constexpr char kDetectionFailed[] = "ERROR: Halcyra DETECTION FAILED.\r\n";

TEST_F(FlowTest, DetectionFailuresAlternateBetweenTheInstructionsAndTheRecoveryDialog) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  int recovery_dialogs = 0;
  const auto expect_instructions = [&] {
    EXPECT_EQ(window.m_nDetectionFailures, 1);
    EXPECT_EQ(window.GetDlgItemText(IDC_INSTRUCTIONS), FindResourceString(IDS_MENU_INSTRUCTIONS));
    EXPECT_EQ(window.GetDlgItem(IDC_INSTRUCTIONS)->GetFont(),
              upgrade_app_test::ArialFont(-12, platform::FW_NORMAL));
    EXPECT_EQ(window.GetDlgItemText(IDC_TITLE_TEXT), kDetectionFailed);
    EXPECT_EQ(window.GetDlgItem(IDC_TITLE_TEXT)->GetFont(),
              upgrade_app_test::ArialFont(-14, platform::FW_BOLD));
    EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT), kDetectionFailed);
    EXPECT_TRUE(Enabled(window, IDC_UPGRADE));
    EXPECT_TRUE(Visible(window, IDC_UPGRADE));
  };
  Run(window, {[&] {
        window.ShowControl(IDC_UPGRADE, platform::SW_HIDE);
        window.DisableAllButtons();
        window.DisplayDetectionFailed();
        expect_instructions();

        window.ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
        window.EnableControl(platform::IDOK, platform::FALSE);
        Answering(
            [&](platform::Dialog& recovery) {
              ++recovery_dialogs;
              EXPECT_EQ(recovery.GetTemplateId(), IDD_RECOVERY_DIALOG);
              EXPECT_EQ(recovery.GetParentHwnd(), window.GetSafeHwnd());
              EXPECT_EQ(window.m_bFailDialogShown, 1);
              EXPECT_FALSE(Visible(window, IDC_WARNING_TEXT));
              recovery.SendMessage(platform::WM_CLOSE);
            },
            [&] { window.DisplayDetectionFailed(); });
        EXPECT_EQ(recovery_dialogs, 1);
        EXPECT_EQ(window.m_nDetectionFailures, 0);
        // Closed without a choice: it may come again, and the way out is back.
        EXPECT_EQ(window.m_bFailDialogShown, 0);
        EXPECT_TRUE(WayOutGiven(window));

        window.SetControlText(IDC_TITLE_TEXT, "");
        window.DisplayDetectionFailed();
        expect_instructions();
      }});
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(FlowTest, TheRecoveryDialogIsShownOnceUntilItEnds) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  int dialogs = 0;
  // Closes whatever dialog stands over the window; runs after the step when none does.
  const auto close_any = [&] {
    platform::PostClosure(platform::GetCurrentThreadId(), [&] {
      if (platform::Dialog* const top = TopDialog(); top != &window) {
        ++dialogs;
        top->SendMessage(platform::WM_CLOSE);
      }
    });
  };
  Run(window, {[&] {
                 window.m_bFailDialogShown = 1;
                 window.m_nDetectionFailures = 1;
                 close_any();
                 window.DisplayDetectionFailed();
                 EXPECT_EQ(window.m_nDetectionFailures, 0);
                 // The aborts go through the same door.
                 close_any();
                 window.ShowFailDialogOnce();
               },
               [&] {
                 EXPECT_EQ(dialogs, 0);
                 EXPECT_EQ(window.m_bFailDialogShown, 1);
               }});
}

TEST_F(FlowTest, NextPutsTheWizardBackToItsStartAndTheTitleIsRedOnlyWhileAborted) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  Run(window, {[&] {
        const platform::Control& title = *window.GetDlgItem(IDC_TITLE_TEXT);
        const platform::Control& instructions = *window.GetDlgItem(IDC_INSTRUCTIONS);
        window.m_bAborted = 1;
        const platform::ControlColors red = window.ColorsOf(title);
        EXPECT_EQ(red.TextColor(), platform::RGB(255, 0, 0));
        EXPECT_TRUE(red.IsTransparent());
        EXPECT_FALSE(window.ColorsOf(instructions).TextColor().has_value());

        window.SetControlText(IDC_STEP_TEXT, kDetectionFailed);
        window.SetControlText(IDC_INSTRUCTIONS, FindResourceString(IDS_MENU_INSTRUCTIONS));
        window.ShowControl(IDC_UPGRADE, platform::SW_HIDE);
        window.EnableControl(IDC_UPGRADE, platform::FALSE);
        window.ShowControl(IDC_NEXT, platform::SW_SHOW);
        Click(window, IDC_NEXT);

        EXPECT_EQ(window.m_bAborted, 0);
        EXPECT_EQ(window.GetDlgItemText(IDC_TITLE_TEXT),
                  "IMPORTANT:  PLEASE FOLLOW THE STEPS BELOW.\r\n");
        EXPECT_EQ(window.GetDlgItemText(IDC_INSTRUCTIONS),
                  FindResourceString(IDS_MUTE_INSTRUCTIONS));
        EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT), "");
        EXPECT_TRUE(Enabled(window, IDC_UPGRADE));
        EXPECT_TRUE(Visible(window, IDC_UPGRADE));
        EXPECT_EQ(window.GetDlgItem(IDC_UPGRADE)->GetFont(),
                  upgrade_app_test::ArialFont(-14, platform::FW_BOLD));
        EXPECT_FALSE(Visible(window, IDC_NEXT));
        const platform::ControlColors plain = window.ColorsOf(title);
        EXPECT_FALSE(plain.TextColor().has_value());
        EXPECT_FALSE(plain.IsTransparent());
      }});
}

// Records what the shell is asked to open.
class ShellRecorder final : public platform::UiBackend {
 public:
  void OpenMessageBox(const platform::MessageBoxRequest& /*request*/,
                      std::function<void(int)> answer) override {
    answer(platform::IDOK);
  }
  void OpenFileDialog(const platform::FileDialogRequest& /*request*/,
                      std::function<void(platform::FileDialogAnswer)> answer) override {
    answer(std::nullopt);
  }
  void Withdraw(std::uint64_t /*request_id*/) override {}
  std::intptr_t ShellExecute(const platform::ShellRequest& request) override {
    requests.push_back(request);
    return 2;  // the file was not found: nobody is told
  }
  void ReportExit(int /*exit_code*/) override {}

  std::vector<platform::ShellRequest> requests;
};

TEST_F(FlowTest, TroubleshootOpensThePageOfTheInstallFolder) {
  auto* const shell = new ShellRecorder;
  const platform::ScopedUiBackend scope{std::unique_ptr<platform::UiBackend>(shell)};
  app_.m_strInstallDirectory = "C:\\Program Files\\Orvanta\\Halcyra Upgrade";
  WatchedWindow window(IDD_WIZARD_WINDOW);
  Run(window, {[&] { Click(window, IDC_TROUBLESHOOT); }});
  ASSERT_EQ(shell->requests.size(), 1U);
  const platform::ShellRequest& request = shell->requests[0];
  EXPECT_EQ(request.owner, nullptr);
  EXPECT_EQ(request.verb, "open");
  EXPECT_EQ(request.file, "C:\\Program Files\\Orvanta\\Halcyra Upgrade\\Trouble.html");
  EXPECT_EQ(request.parameters, "");
  EXPECT_EQ(request.directory, "");
  EXPECT_EQ(request.show_command, platform::SW_SHOWNORMAL);
}

TEST_F(FlowTest, ApplicationUpgradeAfterAFailureSendsTheSettingsDspImage) {
  app_.m_strDSPFilePath = "C:\\Corvik\\QVX.CON.01.607.bin";
  app_.m_strCompositeFilePath = "C:\\Corvik\\QVX.CON.01.607.COMP.bin";
  g_bAbort = 1;
  {
    WatchedWindow window(IDD_WIZARD_WINDOW);
    Run(window, {[&] {
          // The way out and on, as a halt gave them back: the download takes all three.
          window.EnableControl(IDC_UPGRADE, platform::TRUE);
          window.EnableControl(platform::IDOK, platform::TRUE);
          window.EnableCloseCommand(true);
          window.SendMessage(WM_UPG_SEND_DSP_FIRMWARE);
          const CUpGradeThread& worker = Worker(window);
          EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_DSP_FILE);
          EXPECT_EQ(worker.m_strTaskFilePath, app_.m_strDSPFilePath);
          EXPECT_EQ(worker.m_bAutoDelete, platform::TRUE);
          EXPECT_EQ(app_.m_bSendingDSPFile, 1);
          EXPECT_EQ(g_bAbort, 0);
          EXPECT_EQ(window.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
          EXPECT_EQ(window.m_mapTask.GetCount(), 0U);
          EXPECT_NE(window.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
          EXPECT_EQ(window.GetDlgItemText(IDC_STEP_TEXT),
                    FindResourceString(IDS_STEP_UPGRADING_FIRMWARE));
          EXPECT_TRUE(Visible(window, IDC_WARNING_TEXT));
          EXPECT_FALSE(Enabled(window, IDC_UPGRADE));
          EXPECT_FALSE(Enabled(window, platform::IDOK));
          EXPECT_FALSE(window.CanChooseSystemCommand(platform::SC_CLOSE));
        }});
  }
  // The window's end asks the worker to end, after the jobs it was given.
  FinishWorker();
  EXPECT_EQ(WorkerMessages(), (std::vector<platform::UINT>{WM_UPG_RUN_TASK, WM_UPG_END_THREAD}));
}

class DspSentTest : public FlowTest {
 protected:
  // The worker reports the DSP image sent while a step delay runs; `then` runs once it has been
  // handled. Returns the program time the handler took.
  platform::Millis DspImageSent(WatchedWindow& window, const std::function<void()>& then) {
    platform::Millis took = -1;
    app_.m_bSendingDSPFile = 1;
    Run(window, {[&] {
                   window.m_nDetectionStep = 5;
                   window.m_nCurrentStep = 7;
                   window.StartTimer(1000, kStepTimerKind);
                   const platform::Millis start = platform::GetClock().Now();
                   window.SendMessage(WM_UPG_DSP_FILE_SENT);
                   took = platform::GetClock().Now() - start;
                   EXPECT_EQ(window.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
                   EXPECT_EQ(window.m_nDetectionStep, 0);
                   EXPECT_EQ(app_.m_bSendingDSPFile, 0);
                 },
                 then});
    return took;
  }
};

TEST_F(DspSentTest, WithoutARadioModuleUpgradeTheFlowEndsAfter25Seconds) {
  app_.m_bUpgradeCVM = 0;
  WatchedWindow window(IDD_WIZARD_WINDOW);
  const platform::Millis took = DspImageSent(window, [&] {
    EXPECT_EQ(window.m_nCurrentStep, 0);
    EXPECT_EQ(g_bAbort, 1);  // the flow was reset
    EXPECT_TRUE(WayOutGiven(window));
    EXPECT_FALSE(window.Took(WM_UPG_START_DETECTION));
  });
  EXPECT_EQ(took, 25000);
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Software upgrade is complete.");
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
  EXPECT_EQ(boxes[0].owner_template, IDD_WIZARD_WINDOW);
}

TEST_F(DspSentTest, WithARadioModuleUpgradeDetectionRunsAgainAfter25And20Seconds) {
  app_.m_bUpgradeCVM = 1;
  WatchedWindow window(IDD_WIZARD_WINDOW);
  std::string step_text_at_detection;
  window.Hold(WM_UPG_START_DETECTION,
              [&] { step_text_at_detection = window.GetDlgItemText(IDC_STEP_TEXT); });
  platform::Millis sent_at = 0;
  const platform::Millis took = DspImageSent(window, [&] {
    sent_at = *window.TimeOf(WM_UPG_DSP_FILE_SENT);
    EXPECT_EQ(window.m_nPhase, 3);
  });
  ASSERT_TRUE(window.Took(WM_UPG_START_DETECTION));
  EXPECT_EQ(*window.TimeOf(WM_UPG_START_DETECTION) - sent_at, 45000);
  EXPECT_EQ(took, 45000);
  EXPECT_EQ(step_text_at_detection,
            "Step 3 of 6 - Preparing Halcyra for radio firmware upgrade...\r\n");
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(DspSentTest, TheEngineeringWindowOnlyLogsIt) {
  app_.m_bEngineeringMode = 1;
  app_.m_bUpgradeCVM = 1;
  WatchedWindow window(IDD_ENGINEERING_WINDOW);
  const platform::Millis took = DspImageSent(window, [&] {
    EXPECT_NE(window.m_strStatusText.find("Phone application Upgrade complete"), std::string::npos);
    EXPECT_EQ(window.m_nCurrentStep, 0);
  });
  EXPECT_EQ(took, 0);
  EXPECT_FALSE(window.Took(WM_UPG_START_DETECTION));
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(FlowTest, ARadioModuleImageSentInTheUpgradeStartsTheVerificationAfter110Seconds) {
  app_.m_bSendingCVMFile = 1;
  WatchedWindow window(IDD_WIZARD_WINDOW);
  std::string step_text_at_verification;
  window.Hold(WM_UPG_START_VERIFICATION,
              [&] { step_text_at_verification = window.GetDlgItemText(IDC_STEP_TEXT); });
  Run(window, {[&] {
        window.m_nCVMPhase = 1;
        window.m_nCVMStep = 8;
        window.m_nCurrentStep = 1;
        window.SendMessage(WM_UPG_CVM_FILE_SENT);
        EXPECT_EQ(*window.TimeOf(WM_UPG_START_VERIFICATION) - *window.TimeOf(WM_UPG_CVM_FILE_SENT),
                  110000);
        EXPECT_EQ(window.m_nCVMPhase, 4);
        EXPECT_EQ(window.m_nCVMStep, 0);
        EXPECT_EQ(window.m_nCurrentStep, 0);
        EXPECT_EQ(app_.m_bSendingCVMFile, 0);
      }});
  EXPECT_EQ(step_text_at_verification, "Step 6 of 6 - Verifying Halcyra radio parameters...\r\n");
}

TEST_F(FlowTest, ARadioModuleImageSentWithoutAnUpgradeRunningOnlyLogsAndGivesTheWayBack) {
  app_.m_bEngineeringMode = 1;
  for (const int phase : {0, 4}) {
    SCOPED_TRACE(phase);
    WatchedWindow window(IDD_ENGINEERING_WINDOW);
    Run(window, {[&] {
          window.m_nCVMPhase = phase;
          window.DisableAllButtons();
          window.EnableControl(platform::IDOK, platform::FALSE);
          const platform::Millis start = platform::GetClock().Now();
          window.SendMessage(WM_UPG_CVM_FILE_SENT);
          EXPECT_EQ(platform::GetClock().Now(), start);
          EXPECT_EQ(window.m_nCVMPhase, phase);
          EXPECT_EQ(window.m_strStatusText, "CVM Upgrade complete");
          EXPECT_FALSE(window.Took(WM_UPG_START_VERIFICATION));
          EXPECT_TRUE(Enabled(window, platform::IDOK));
          EXPECT_TRUE(Enabled(window, IDC_SEND_FW));
        }});
    FinishWorker();
  }
}

}  // namespace
