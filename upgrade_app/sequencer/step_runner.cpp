// The main runner, the version test, the choice of the DSP table and the map starters.

#include "device_link/command_codes.h"
#include "platform/text_format.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/message_box.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/flow/phases.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/runner_modes.h"
#include "upgrade_app/sequencer/step_tables.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

platform::BYTE g_bAbort = 0;

namespace {

// The waits of a type-8 step before the DSP download; nothing is handled meanwhile.
constexpr platform::DWORD kWaitBeforeLog = 8000;
constexpr platform::DWORD kWaitAfterFirst = 7000;
constexpr platform::DWORD kWaitAfterLog = 10000;

constexpr int kDspMajor = 1;
constexpr int kDspMinor1209 = 209;
constexpr int kDspMinor1211 = 211;

// Before a table's starter: the runner that will own it, Upgrade and Exit shown, the byte count
// emptied.
void PrepareTableStart(CCorvikUpgradeDlg& dialog, RunnerMode owner) {
  GiveSequenceTo(dialog, owner);
  dialog.ShowControl(IDC_UPGRADE, platform::SW_SHOW);
  dialog.ShowControl(platform::IDOK, platform::SW_SHOW);
  dialog.SetControlText(IDC_BYTES_TRANSFERRED, "");
}

// The versions a table compares with the settings' are read afresh by its own steps.
void ForgetVersions(CCorvikUpgradeDlg& dialog) {
  dialog.m_strCPLDVersion.clear();
  dialog.m_strDSPVersion.clear();
  dialog.m_strCVMVersion.clear();
}

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::OnNextTask(platform::WPARAM /*wParam*/,
                                                platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnNextTask"), [this] {
    m_strStatusText.clear();
    DisableAllButtons();
    const std::optional<_STRUCT_TASK> found = StepToRun(*this, m_nCurrentStep);
    if (!found) {
      if (g_bAbort == 0) {
        m_pApp->m_bSendingDSPFile = 0;
        m_pApp->m_bSendingBootBlockFile = 0;
      }
      g_bAbort = 0;
      HaltSequence();
      return;
    }
    const _STRUCT_TASK& step = *found;
    UpdateStatus(this, platform::Format("OnNextTaskInit: Init Task# :%d\r\n", m_nCurrentStep));
    m_nStepTimeout = step.nTimeout;
    m_nStepDelay = step.nDelay;
    EnableControl(platform::IDOK, platform::FALSE);
    switch (step.nType) {
      case kStepCommand:
        SendStepCommand(step.nArgument);
        break;
      case kStepDspImage:
        SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_UPGRADING_FIRMWARE));
        GenericSendUSBFile();
        break;
      case kStepCpldImage:
        GenericSendUSBFile();
        break;
      case kStepIdentify:
        GenericIdentifyUSBDevice(step.nArgument);
        break;
      case kStepPrepare:
      case kStepPrepareMore:
        ++m_nCurrentStep;
        PostMessage(WM_UPG_NEXT_TASK);
        break;
      case kStepDone:
        EnableAllButtons();
        EnableControl(IDC_UPGRADE, platform::TRUE);
        MessageBox(FindResourceString(IDS_UPGRADE_SUCCESSFUL),
                   FindResourceString(IDS_MESSAGE_CAPTION),
                   platform::MB_OK | platform::MB_ICONINFORMATION);
        UpdateStatus(this, "\r\nAll Task Performed\r\n");
        ++m_nCurrentStep;
        PostMessage(WM_UPG_NEXT_TASK);
        break;
      case kStepWait:
        platform::Sleep(kWaitBeforeLog);
        platform::Sleep(kWaitAfterFirst);
        UpdateStatus(this, "Downloading DSP image.");
        ++m_nCurrentStep;
        platform::Sleep(kWaitAfterLog);
        PostMessage(WM_UPG_NEXT_TASK);
        break;
      case kStepBootBlock:
        // Without a boot-block download to make the step has nothing to do: go on.
        if (m_bSendBootBlock == 0) {
          ++m_nCurrentStep;
          PostMessage(WM_UPG_NEXT_TASK);
        } else {
          GenericSendUSBFile();
        }
        break;
      case kStepReset:
        GenericResetDevice(step.nArgument);
        break;
      default:
        // Radio-module steps and unknown types belong to no job of this runner.
        HaltSequence();
        break;
    }
  });
  return 0;
}

int CCorvikUpgradeDlg::ActiveTask() {
  int result = 0;
  ReportingExceptions(CaughtIn("ActiveTask"), [this, &result] {
    _STRUCT_TASK step;
    if (m_mapTask.Lookup(static_cast<platform::UINT>(m_nCurrentStep), step) == 0 ||
        step.bCompareVersion == 0) {
      return;
    }
    const auto command = static_cast<platform::UINT>(step.nArgument);
    if (command == UPD_GET_CPLD_FW_VER && m_pApp->m_strCPLDFileVer == m_strCPLDVersion) {
      result = 1;
    } else if (command == UPD_GET_DSPFLASH_FW_VER && m_pApp->m_strDSPFileVer == m_strDSPVersion) {
      result = 2;
    } else if (command == UPD_GET_CVMFLASH_FW_VER && m_pApp->m_strCVMFileVer == m_strCVMVersion) {
      result = 3;
    }
  });
  return result;
}

platform::LRESULT CCorvikUpgradeDlg::OnChooseDSPMap(platform::WPARAM /*wParam*/,
                                                    platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnChooseDSPMap"), [this] {
    PrepareTableStart(*this, nullptr);
    platform::UINT start = WM_UPG_START_UPGRADE_MAP;
    if (m_nDSPMajor == kDspMajor && m_nDSPMinor == kDspMinor1209) {
      start = WM_UPG_START_DSP1209_MAP;
    } else if (m_nDSPMajor == kDspMajor && m_nDSPMinor == kDspMinor1211) {
      start = WM_UPG_START_DSP1211_MAP;
    } else if (m_nDSPMajor <= 0) {
      start = WM_UPG_START_DS_MAP;
    }
    SendMessage(start);
  });
  return 0;
}

int CCorvikUpgradeDlg::DspTableFlags() const {
  int flags = kFlagsAlways;
  if (m_pApp->m_bUpgradeDSP != 0) flags += kFlagDsp;
  if (m_pApp->m_bUpgradeCPLD != 0) flags += kFlagCpld;
  return flags;
}

void CCorvikUpgradeDlg::StartMainTable(int first_step) {
  ForgetVersions(*this);
  m_nCurrentStep = first_step;
  m_nRetryCount = 0;
  EnableControl(IDC_UPGRADE, platform::FALSE);
  EnableControl(platform::IDOK, platform::FALSE);
  SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_UPGRADING_FIRMWARE));
  PostMessage(WM_UPG_NEXT_TASK);
}

platform::LRESULT CCorvikUpgradeDlg::OnStartUpgradeMap(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnStartUpgradeMap"), [this] {
    g_bAbort = 0;
    SetTaskMap(this, DspTableFlags(), kVariantDspFlash);
    EnableCloseCommand(false);
    StartMainTable(1);
  });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartDSP1209Map(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnStartDSP1209Map"), [this] {
    SetTaskMapDSP1209(this);
    StartMainTable(1);
  });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartDSMap(platform::WPARAM /*wParam*/,
                                                  platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnStartDSMap"), [this] {
    g_bAbort = 0;
    SetTaskMapDS(static_cast<platform::BYTE>(DspTableFlags()));
    EnableCloseCommand(false);
    constexpr int kDspImageStep = 10;
    StartMainTable(kDspImageStep);
  });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartDSP1211Map(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnStartDSP1211Map"), [this] {
    g_bAbort = 0;
    SetTaskMapDSP1211(DspTableFlags(), kVariantDspFlash);
    EnableCloseCommand(false);
    StartMainTable(1);
  });
  return 0;
}

void CCorvikUpgradeDlg::StartCVMTable(platform::UINT start_message) {
  if (start_message == WM_UPG_START_CVM_MAP) ForgetVersions(*this);
  m_nCVMStep = 1;
  m_nCurrentStep = 1;
  m_nRetryCount = 0;
  EnableControl(IDC_UPGRADE, platform::FALSE);
  EnableControl(platform::IDOK, platform::FALSE);
  PostMessage(WM_UPG_NEXT_CVM_TASK);
}

platform::LRESULT CCorvikUpgradeDlg::OnStartCVMMap(platform::WPARAM /*wParam*/,
                                                   platform::LPARAM /*lParam*/) {
  SetTaskMapCVM();
  StartCVMTable(WM_UPG_START_CVM_MAP);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartConsoleMap(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  SetTaskMapConsole();
  StartCVMTable(WM_UPG_START_CONSOLE_MAP);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartVerificationMap(platform::WPARAM /*wParam*/,
                                                            platform::LPARAM /*lParam*/) {
  SetTaskMapVerification();
  StartCVMTable(WM_UPG_START_VERIFICATION_MAP);
  return 0;
}

namespace {

// The radio-module runner takes over: the mode, the buttons, then the table's starter.
void HandToRadioModuleRunner(CCorvikUpgradeDlg& dialog, platform::UINT start_message) {
  PrepareTableStart(dialog, &CCorvikUpgradeDlg::m_nCVMMode);
  dialog.SendMessage(start_message);
}

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::OnStartCVMUpgrade(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnStartCVMUpgrade"),
                      [this] { HandToRadioModuleRunner(*this, WM_UPG_START_CVM_MAP); });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnSendCVM(platform::WPARAM /*wParam*/,
                                               platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnSendCVM"),
                      [this] { HandToRadioModuleRunner(*this, WM_UPG_START_CONSOLE_MAP); });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartVerification(platform::WPARAM /*wParam*/,
                                                         platform::LPARAM /*lParam*/) {
  HandToRadioModuleRunner(*this, WM_UPG_START_VERIFICATION_MAP);
  return 0;
}

void CCorvikUpgradeDlg::UpgradeOnclick() {
  ReportingExceptions(CaughtIn("UpgradeOnclick"), [this] {
    m_nDownloadsDone = 0;
    if (EngineeringMode()) return;
    // A download that never ran must not be reported as sent by a later one.
    m_pApp->m_bSendingDSPFile = 0;
    m_pApp->m_bSendingBootBlockFile = 0;
    m_pApp->m_bSendingCVMFile = 0;
    SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_INITIALIZING));
    ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
    g_bAbort = 0;
    if (m_bAborted != 0) {
      m_bAborted = 0;
      SetControlFont(IDC_TITLE_TEXT, m_fontBold);
      SetControlText(IDC_TITLE_TEXT, FindResourceString(IDS_FOLLOW_STEPS));
      SetControlFont(IDC_INSTRUCTIONS, m_fontNormal);
      SetControlText(IDC_INSTRUCTIONS, FindResourceString(IDS_MUTE_INSTRUCTIONS));
    }
    m_nPhase = kFirstDetection;
    SendMessage(WM_UPG_START_DETECTION);
  });
}
