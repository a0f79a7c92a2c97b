// What the wizard shows and does around the step sequences: the detection-failed texts and the
// recovery dialog, Next and Troubleshoot, the red title after an abort, and the follow-ups of the
// downloads with the waits that give the console time to restart.

#include "device_link/upgrade_thread.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/shell.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/dialogs/fail_upgrade_dlg.h"
#include "upgrade_app/flow/phases.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

// The console restarts after a download; these waits give it the time (nothing is handled
// meanwhile).
constexpr platform::DWORD kWaitAfterDspImage = 25000;
constexpr platform::DWORD kWaitBeforeSecondDetection = 20000;
constexpr platform::DWORD kWaitAfterRadioModuleImage = 110000;

constexpr platform::COLORREF kAbortedTitleColor = platform::RGB(255, 0, 0);
constexpr char kTroubleshootingPage[] = "\\Trouble.html";
constexpr char kUpgradeCompleteText[] = "Software upgrade is complete.";

}  // namespace

bool CCorvikUpgradeDlg::DisplayDetectionFailed() {
  bool recovery_shown = false;
  ReportingExceptions("Exception catched in DisplayDetectionFailed", [this, &recovery_shown] {
    ++m_nDetectionFailures;
    if (m_nDetectionFailures <= 1) {
      // First failure: the instructions again, so that the user can retry.
      SetControlFont(IDC_INSTRUCTIONS, m_fontNormal);
      SetControlText(IDC_INSTRUCTIONS, FindResourceString(IDS_MENU_INSTRUCTIONS));
      EnableControl(IDC_UPGRADE, platform::TRUE);
      ShowControl(IDC_UPGRADE, platform::SW_SHOW);
      SetControlFont(IDC_TITLE_TEXT, m_fontBold);
      SetControlText(IDC_TITLE_TEXT, FindResourceString(IDS_DETECTION_FAILED));
      SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_DETECTION_FAILED));
      return;
    }
    m_nDetectionFailures = 0;
    ShowControl(IDC_WARNING_TEXT, platform::SW_HIDE);
    recovery_shown = ShowFailDialogOnce();
  });
  return recovery_shown;
}

bool CCorvikUpgradeDlg::ShowFailDialogOnce() {
  if (m_bFailDialogShown != 0) return false;
  m_bFailDialogShown = 1;
  CHLCRFailUpgrade recovery(GetSafeHwnd());
  recovery.DoModal();
  return true;
}

void CCorvikUpgradeDlg::OnNext() {
  ReportingExceptions("Exception catched in OnNext", [this] {
    m_bAborted = 0;
    SetControlFont(IDC_TITLE_TEXT, m_fontBold);
    SetControlText(IDC_TITLE_TEXT, FindResourceString(IDS_FOLLOW_STEPS));
    SetControlFont(IDC_INSTRUCTIONS, m_fontNormal);
    SetControlText(IDC_INSTRUCTIONS, FindResourceString(IDS_MUTE_INSTRUCTIONS));
    SetControlText(IDC_STEP_TEXT, "");
    EnableControl(IDC_UPGRADE, platform::TRUE);
    SetControlFont(IDC_UPGRADE, m_fontBold);
    ShowControl(IDC_UPGRADE, platform::SW_SHOW);
    ShowControl(IDC_NEXT, platform::SW_HIDE);
  });
}

void CCorvikUpgradeDlg::OnCtlColor(platform::ControlColors& colors,
                                   const platform::Control& control) {
  platform::Dialog::OnCtlColor(colors, control);
  if (m_bAborted != 0 && control.GetDlgCtrlID() == IDC_TITLE_TEXT) {
    colors.SetTextColor(kAbortedTitleColor);
    colors.SetBkMode(platform::TRANSPARENT);
  }
}

void CCorvikUpgradeDlg::OnTroubleshoot() {
  // A missing page is not reported.
  platform::ShellExecute(nullptr, "open", m_pApp->m_strInstallDirectory + kTroubleshootingPage, {},
                         {}, platform::SW_SHOWNORMAL);
}

platform::LRESULT CCorvikUpgradeDlg::OnSendDSPFirmware(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions("Exception catched in OnSendDSPFirmware",
                      [this] { HandOverDspImage(m_pApp->m_strDSPFilePath, true); });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnDSPFirmwareFile(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions("Exception catched in OnDSPFirmwareFile", [this] {
    StopTimer(kStepTimerKind);
    m_nDetectionStep = 0;
    m_nCurrentStep = 0;
    m_pApp->m_bSendingDSPFile = 0;
    UpdateStatus(this, "Phone application Upgrade complete");
    if (EngineeringMode()) return;
    platform::Sleep(kWaitAfterDspImage);
    if (m_pApp->m_bUpgradeCVM != 0) {
      m_nPhase = kRadioModuleDetection;
      SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_PREPARING_RADIO_UPGRADE));
      platform::Sleep(kWaitBeforeSecondDetection);
      SendMessage(WM_UPG_START_DETECTION);
      return;
    }
    ResetUpgradeFlow();
    MessageBox(kUpgradeCompleteText, kProductCaption,
               platform::MB_OK | platform::MB_ICONINFORMATION);
  });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnEnableUpgrade(platform::WPARAM /*wParam*/,
                                                     platform::LPARAM /*lParam*/) {
  EnableControl(IDC_UPGRADE, platform::TRUE);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnCVMFirmwareFile(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions("Exception catched in OnCVMFirmwareFile", [this] {
    StopTimer(kStepTimerKind);
    m_nDetectionStep = 0;
    m_nCurrentStep = 0;
    m_pApp->m_bSendingCVMFile = 0;
    if (m_nCVMPhase == kCvmPhaseUpgrade) m_nCVMPhase = kCvmPhaseImageSent;
    UpdateStatus(this, "CVM Upgrade complete");
    if (m_nCVMPhase != kCvmPhaseImageSent) {
      // No verification follows (a download of the engineering window, or an image the console
      // had already): the user gets the way out back.
      HaltSequence();
      return;
    }
    m_nCVMStep = 0;
    m_nCurrentStep = 0;
    m_nCVMPhase = kCvmPhaseVerifying;
    SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_PREPARING_VERIFICATION));
    platform::Sleep(kWaitAfterRadioModuleImage);
    SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_VERIFYING_RADIO_PARAMETERS));
    SendMessage(WM_UPG_START_VERIFICATION);
  });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnBootBlockFirmwareFile(platform::WPARAM /*wParam*/,
                                                             platform::LPARAM /*lParam*/) {
  m_pApp->m_bSendingBootBlockFile = 0;
  return 0;
}
