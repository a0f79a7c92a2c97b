// The detection, radio-module and recovery runners: one step per message on a shared frame, and
// what each does at the end of its table; the starts of detection and recovery, the recovery's
// DSP download and the reset of the whole flow to idle.

#include <optional>

#include "device_link/command_codes.h"
#include "device_link/upgrade_thread.h"
#include "platform/text_format.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/dialogs/options_dlg.h"
#include "upgrade_app/flow/phases.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/runner_modes.h"
#include "upgrade_app/sequencer/step_tables.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

constexpr int kCountryCodes = 3;  // 0, 1 and 2 have a radio-parameter file
constexpr int kRadioVerified = 1;

constexpr char kUpgradeFailedText[] =
    "Upgrade was NOT successful.\n\nPlease close and re-open this application.\n\nThen power "
    "cycle the console and restart the upgrade.\n";

// What tells the three runners apart in their common frame.
struct RunnerFrame {
  RunnerMode mode;
  int CCorvikUpgradeDlg::*index;
  const char* trace_name;
  bool traces_argument;  // the step's argument instead of the step number
  bool disables_exit;
  const char* exception_text;
};

constexpr RunnerFrame kDetectionRunner{&CCorvikUpgradeDlg::m_nDetectionMode,
                                       &CCorvikUpgradeDlg::m_nDetectionStep,
                                       "OnExecuteTaskList",
                                       true,
                                       false,
                                       "exception catched in SetExecuteTaskList"};
constexpr RunnerFrame kRadioModuleRunner{&CCorvikUpgradeDlg::m_nCVMMode,
                                         &CCorvikUpgradeDlg::m_nCVMStep,
                                         "OnExecuteCVMTaskMap",
                                         false,
                                         true,
                                         "Exception catched in OnExecuteCVMTask"};
constexpr RunnerFrame kRecoveryRunner{&CCorvikUpgradeDlg::m_nBBMode,
                                      &CCorvikUpgradeDlg::m_nBBStep,
                                      "OnExecuteBBRecovery",
                                      false,
                                      true,
                                      "Exception catched in OnExecuteBBRecovery"};

// The runner takes the sequence: status text, buttons, modes, then its step past the skip marks.
// Nothing at the end of its table.
std::optional<_STRUCT_TASK> EnterStep(CCorvikUpgradeDlg& dialog, const RunnerFrame& frame) {
  dialog.m_strStatusText.clear();
  dialog.DisableAllButtons();
  GiveSequenceTo(dialog, frame.mode);
  int& index = dialog.*frame.index;
  const std::optional<_STRUCT_TASK> step = StepToRun(dialog, index);
  if (!step) return std::nullopt;
  UpdateStatus(&dialog, platform::Format("%s: Init Task# :%d\r\n", frame.trace_name,
                                         frame.traces_argument ? step->nArgument : index));
  dialog.m_nStepTimeout = step->nTimeout;
  dialog.m_nStepDelay = step->nDelay;
  if (frame.disables_exit) dialog.EnableControl(platform::IDOK, platform::FALSE);
  return step;
}

// `dispatch` answers whether the step leads on (a job handed over, or a message that carries the
// sequence on); a step that does not ends the sequence, and the user gets the way out back.
template <typename Dispatch, typename EndOfTable>
void RunStep(CCorvikUpgradeDlg& dialog, const RunnerFrame& frame, Dispatch dispatch,
             EndOfTable end_of_table) {
  ReportingExceptions(frame.exception_text, [&] {
    const std::optional<_STRUCT_TASK> step = EnterStep(dialog, frame);
    if (!step) {
      end_of_table(dialog);
    } else if (!dispatch(dialog, *step)) {
      dialog.HaltSequence();
    }
  });
}

// Identify and reset, which every runner hands over alike. False for any other type.
bool DispatchDeviceStep(CCorvikUpgradeDlg& dialog, const _STRUCT_TASK& step) {
  if (step.nType == kStepIdentify) {
    dialog.GenericIdentifyUSBDevice(step.nArgument);
    return true;
  }
  if (step.nType == kStepReset) {
    dialog.GenericResetDevice(step.nArgument);
    return true;
  }
  return false;
}

void AllTasksPerformed(CCorvikUpgradeDlg& dialog) {
  dialog.EnableAllButtons();
  dialog.EnableControl(IDC_UPGRADE, platform::TRUE);
}

bool DispatchDetectionStep(CCorvikUpgradeDlg& dialog, const _STRUCT_TASK& step) {
  if (DispatchDeviceStep(dialog, step)) return true;
  if (step.nType == kStepCommand) {
    dialog.SendStepCommand(step.nArgument);
    return true;
  }
  if (step.nType == kStepDone) {
    AllTasksPerformed(dialog);
    dialog.MessageBox(FindResourceString(IDS_UPGRADE_SUCCESSFUL),
                      FindResourceString(IDS_MESSAGE_CAPTION),
                      platform::MB_OK | platform::MB_ICONINFORMATION);
    UpdateStatus(&dialog, "\r\nAll Task Performed\r\n");
  }
  return false;
}

void SendRadioModuleCommand(CCorvikUpgradeDlg& dialog, int command) {
  if (command == static_cast<int>(UPD_SEND_CVM_HEADER)) {
    // The header's handler prepares the image and hands the header command over.
    dialog.SendMessage(WM_UPG_SEND_CVM_HEADER);
    return;
  }
  if (command == static_cast<int>(UPD_INIT_UPGRADE_RADIOPARAMS)) {
    dialog.SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_CONFIGURING_RADIO_PARAMETERS));
  }
  dialog.SendStepCommand(command);
}

bool DispatchRadioModuleStep(CCorvikUpgradeDlg& dialog, const _STRUCT_TASK& step) {
  if (DispatchDeviceStep(dialog, step)) return true;
  switch (step.nType) {
    case kStepCommand:
      SendRadioModuleCommand(dialog, step.nArgument);
      return true;
    case kStepCvmImage:
      dialog.SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_UPGRADING_RADIO_FIRMWARE));
      dialog.GenericSendUSBFile();
      return true;
    case kStepConsoleParams:
      dialog.SendMessage(WM_UPG_START_CONSOLE_PARAMS);
      return true;
    case kStepDone:
      AllTasksPerformed(dialog);
      UpdateStatus(&dialog, "\r\nAll Task Performed\r\n");
      return false;
    default:
      return false;
  }
}

bool DispatchRecoveryStep(CCorvikUpgradeDlg& dialog, const _STRUCT_TASK& step) {
  if (DispatchDeviceStep(dialog, step)) return true;
  if (step.nType == kStepDspImage) {
    dialog.PostMessage(WM_UPG_SEND_BB_DSP_FILE);
    return true;
  }
  return false;
}

// A console without a known country code gets no radio-module image.
void LeadToRadioModuleUpgrade(CCorvikUpgradeDlg& dialog) {
  if (dialog.m_nCountryCode >= 0 && dialog.m_nCountryCode < kCountryCodes) {
    dialog.PostMessage(WM_UPG_START_CVM_UPGRADE);
    return;
  }
  dialog.ShowControl(IDC_STEP_TEXT, platform::SW_HIDE);
  dialog.MessageBox(FindResourceString(IDS_INVALID_COUNTRY_CODE), kProductCaption,
                    platform::MB_OK | platform::MB_ICONINFORMATION);
  dialog.ResetUpgradeFlow();
}

void EndDetectionTable(CCorvikUpgradeDlg& dialog) {
  dialog.EnableAllButtons();
  dialog.m_nDetectionStep = 0;
  if (dialog.m_nPhase == kRadioModuleDetection) {
    LeadToRadioModuleUpgrade(dialog);
  } else if (dialog.m_nPhase == kFirstDetection && dialog.m_pApp->m_bUpgradeDSP != 0) {
    dialog.PostMessage(WM_UPG_CHOOSE_DSP_MAP);
  } else {
    dialog.HaltSequence();
  }
}

// The verification after a radio-module download judges the whole upgrade.
void GiveVerdict(CCorvikUpgradeDlg& dialog) {
  dialog.ShowControl(IDC_WARNING_TEXT, platform::SW_HIDE);
  if (dialog.m_strCVMVersion == dialog.m_pApp->m_strCVMFileVer &&
      dialog.m_nRadioStatus == kRadioVerified) {
    dialog.ResetUpgradeFlow();
    COptionsDlg options(dialog.GetSafeHwnd());
    options.DoModal();
  } else {
    dialog.MessageBox(kUpgradeFailedText, kProductCaption,
                      platform::MB_OK | platform::MB_ICONERROR);
  }
  dialog.EnableAllButtons();
  dialog.EnableControl(IDC_UPGRADE, platform::TRUE);
  dialog.EnableControl(platform::IDOK, platform::TRUE);
  dialog.EnableCloseCommand(true);
  UpdateStatus(&dialog, "Upgrade complete");
  dialog.m_nCVMPhase = 0;
}

void EndRadioModuleTable(CCorvikUpgradeDlg& dialog) {
  dialog.m_nCVMStep = 0;
  dialog.SetControlText(IDC_STEP_TEXT, "");
  // After an abort, or once the flow has been reset, there is nothing to judge.
  if (g_bAbort == 0) {
    dialog.m_pApp->m_bSendingCVMFile = 0;
    if (dialog.m_nCVMPhase == kCvmPhaseVerifying) {
      GiveVerdict(dialog);
      return;
    }
  }
  dialog.HaltSequence();
}

void EndRecoveryTable(CCorvikUpgradeDlg& dialog) {
  dialog.EnableAllButtons();
  dialog.m_nBBStep = 0;
  dialog.m_nBBMode = 0;
  dialog.HaltSequence();
}

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::OnTaskSequenceCorvikDetect(platform::WPARAM /*wParam*/,
                                                                platform::LPARAM /*lParam*/) {
  ReportingExceptions(CaughtIn("OnTaskSequenceCorvikDetect"), [this] {
    SetTaskMapforCorvikDetection(this);
    m_nDetectionStep = 1;
    GiveSequenceTo(*this, &CCorvikUpgradeDlg::m_nDetectionMode);
    m_nDSPMajor = 0;
    m_nDSPMinor = 0;
    m_nCVMMajor = 0;
    m_nCVMMinor = 0;
    PostMessage(WM_UPG_NEXT_DETECTION_TASK);
  });
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::SetExecuteTaskList(platform::WPARAM /*wParam*/,
                                                        platform::LPARAM /*lParam*/) {
  RunStep(*this, kDetectionRunner, DispatchDetectionStep, EndDetectionTable);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnExecuteCVMTask(platform::WPARAM /*wParam*/,
                                                      platform::LPARAM /*lParam*/) {
  RunStep(*this, kRadioModuleRunner, DispatchRadioModuleStep, EndRadioModuleTable);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnExecuteBBRecovery(platform::WPARAM /*wParam*/,
                                                         platform::LPARAM /*lParam*/) {
  RunStep(*this, kRecoveryRunner, DispatchRecoveryStep, EndRecoveryTable);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnStartBBRecovery(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  SetTaskMapBBRecovery(this);
  EnableControl(IDC_UPGRADE, platform::FALSE);
  EnableControl(platform::IDOK, platform::FALSE);
  m_nBBStep = 1;
  PostMessage(WM_UPG_NEXT_BB_TASK);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnSendBBDSPFile(platform::WPARAM /*wParam*/,
                                                     platform::LPARAM /*lParam*/) {
  HandOverDspImage(m_pApp->m_strCompositeFilePath, false);
  return 0;
}

void CCorvikUpgradeDlg::ResetUpgradeFlow() {
  // A timer left running would fire into the idle flow once its handle is forgotten.
  for (TimerHandle* const timer : {&m_nReplyTimer, &m_nStepTimer}) {
    if (*timer != kNoTimer) KillTimer(static_cast<platform::UINT_PTR>(*timer));
  }
  m_nPendingCommand = kNothingPending;
  m_nReplyTimer = kNoTimer;
  m_nStepTimer = kNoTimer;
  m_nRetryCount = 0;
  m_nDetectionStep = 0;
  m_nCVMStep = 0;
  m_nCurrentStep = 0;
  m_nDetectionFailures = 0;
  m_nEnableUSBFailures = 0;
  m_nDetectionMode = 0;
  m_nCVMMode = 0;
  m_nConsoleMode = 0;
  m_bAborted = 0;
  m_nCVMPhase = 0;
  m_nPhase = 0;
  EnableAllButtons();
  EnableControl(IDC_UPGRADE, platform::TRUE);
  EnableControl(platform::IDOK, platform::TRUE);
  SetControlText(IDC_STEP_TEXT, "");
  EnableCloseCommand(true);
  g_bAbort = 1;
}
