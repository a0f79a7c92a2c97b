// Runs one row of a reply check: reads the reply, records what it reports, and lets the sequence
// go on, retries the step, restarts detection, or ends the sequence (the halt rule).

#include "upgrade_app/replies/check_table.h"

#include <algorithm>
#include <utility>

#include "device_link/shared_constants.h"
#include "device_link/upgrade_thread.h"
#include "platform/text_format.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/flow/phases.h"
#include "upgrade_app/replies/reply_decoding.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/retry_policy.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace reply_checks {

namespace {

using reply_decoding::ReplyBytes;

// Enable-USB failures that restart detection before the third one ends it.
constexpr int kDetectionRestarts = 2;

void Log(CCorvikUpgradeDlg& dialog, std::string_view text) {
  if (!text.empty()) UpdateStatus(&dialog, std::string(text));
}

void ApplyReading(CCorvikUpgradeDlg& dialog, Reading reading, const ReplyBytes& reply,
                  platform::WPARAM wParam) {
  using namespace reply_decoding;
  switch (reading) {
    case Reading::kNothing:
      break;
    case Reading::kDeviceFound:
      Log(dialog, platform::Format("\r\n(%s) Device detected as %d\r\n", g_strDeviceId,
                                   static_cast<int>(wParam)));
      break;
    case Reading::kDspVersion: {
      const VersionNumbers version = DecodeDspVersion(reply);
      dialog.m_nDSPMajor = version.major;
      dialog.m_nDSPMinor = version.minor;
      Log(dialog, DspVersionLine(version));
      dialog.m_strDSPVersion = DspVersionText(version);
      break;
    }
    case Reading::kCpldVersion:
      dialog.m_strCPLDVersion = DecodeCpldVersion(reply);
      Log(dialog, CpldVersionLine(dialog.m_strCPLDVersion));
      break;
    case Reading::kCvmVersion: {
      const VersionNumbers version = DecodeCvmVersion(reply);
      dialog.m_nCVMMajor = version.major;
      dialog.m_nCVMMinor = version.minor;
      Log(dialog, CvmVersionLine(version));
      dialog.m_strCVMVersion = CvmVersionText(version);
      break;
    }
    case Reading::kCountryCode:
      dialog.m_nCountryCode = DecodeStatusByte(reply);
      Log(dialog, CountryCodeLine(dialog.m_nCountryCode));
      break;
    case Reading::kLockStatus:
      dialog.m_nLockStatus = DecodeStatusByte(reply);
      Log(dialog, LockStatusLine(dialog.m_nLockStatus));
      break;
    case Reading::kRadioStatus:
      dialog.m_nRadioStatus = DecodeStatusByte(reply);
      Log(dialog, RadioStatusLine(dialog.m_nRadioStatus));
      break;
    case Reading::kImageEnd:
      Log(dialog, ImageEndLine(reply));
      break;
    case Reading::kCvmUpgradeStarted:
      Log(dialog, platform::Format("\r\nCVM upgrade response received\r\nCVM Flash F/W version: "
                                   "%02x.%02x\r\nPlease wait for complete upgrade "
                                   "initialization!\r\n",
                                   static_cast<unsigned>(dialog.m_nCVMMajor),
                                   static_cast<unsigned>(dialog.m_nCVMMinor)));
      break;
  }
}

bool StartStepDelay(CCorvikUpgradeDlg& dialog) {
  dialog.StartTimer(dialog.m_nStepDelay, kStepTimerKind);
  return true;
}

// The engineering window runs one command at a time: nothing follows a good reply there.
bool Continue(CCorvikUpgradeDlg& dialog) {
  return !dialog.EngineeringMode() && StartStepDelay(dialog);
}

void Compare(CCorvikUpgradeDlg& dialog, const Comparison& comparison) {
  if (dialog.ActiveTask() != 0) {
    if (comparison.step_when_same != kKeepStep) dialog.m_nCurrentStep = comparison.step_when_same;
    Log(dialog, comparison.same_text);
    return;
  }
  Log(dialog, comparison.different_text);
  const bool verifying = dialog.m_nCVMPhase == kCvmPhaseVerifying;
  if (comparison.phase == PhaseWhenDifferent::kUpgrade ||
      (comparison.phase == PhaseWhenDifferent::kUpgradeUnlessVerifying && !verifying)) {
    dialog.m_nCVMPhase = kCvmPhaseUpgrade;
  }
}

// True when the sequence goes on.
bool ActOnVerified(CCorvikUpgradeDlg& dialog, const OnVerified& row, const ReplyBytes& reply,
                   platform::WPARAM wParam) {
  if (row.clears_retry_count) dialog.m_nRetryCount = 0;
  ApplyReading(dialog, row.reading, reply, wParam);
  Log(dialog, row.text);
  switch (row.next) {
    case Next::kContinue:
      return Continue(dialog);
    case Next::kContinueAlways:
      return StartStepDelay(dialog);
    case Next::kCompare:
      if (dialog.EngineeringMode()) return false;
      Compare(dialog, *row.comparison);
      return StartStepDelay(dialog);
    case Next::kContinueToVerification: {
      const bool goes_on = Continue(dialog);
      dialog.SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_PREPARING_VERIFICATION));
      return goes_on;
    }
  }
  return false;
}

// True when the recovery dialog was shown: it leads on (or gives the way out back itself).
bool AbortAfterFailures(CCorvikUpgradeDlg& dialog, Abort abort) {
  if (abort == Abort::kDetectionFailedWarningHidden ||
      abort == Abort::kDetectionFailedStepCleared) {
    dialog.ShowControl(IDC_WARNING_TEXT, platform::SW_HIDE);
  }
  if (abort == Abort::kDetectionFailedStepCleared) dialog.SetControlText(IDC_STEP_TEXT, "");
  bool recovery_shown = false;
  if (abort == Abort::kRecoveryDialog) {
    dialog.m_nRetryCount = 0;
    g_bAbort = 1;
    recovery_shown = dialog.ShowFailDialogOnce();
  } else {
    recovery_shown = dialog.AbortToDetectionFailed();
  }
  Log(dialog, "\r\nSoftware upgrade process aborted\r\n");
  return recovery_shown;
}

// True when the step runs again, or the abort's recovery dialog leads on.
bool Retry(CCorvikUpgradeDlg& dialog, Abort abort, platform::UINT runner_message) {
  if (dialog.EngineeringMode()) return false;
  ++dialog.m_nRetryCount;
  if (dialog.m_nRetryCount >= retry_policy::kAbortCount) return AbortAfterFailures(dialog, abort);
  dialog.StopTimer(kReplyTimerKind);
  Log(dialog, platform::Format("\r\nRetry# %d\r\n", dialog.m_nRetryCount));
  dialog.PostMessage(runner_message);
  return true;
}

// The failures are counted across restarts (and clicks of Upgrade) on purpose. True when
// detection starts again, or the recovery dialog of its end leads on.
bool RestartDetection(CCorvikUpgradeDlg& dialog, bool keeps_counting) {
  ++dialog.m_nEnableUSBFailures;
  if (dialog.m_nEnableUSBFailures <= kDetectionRestarts) {
    dialog.SendMessage(WM_UPG_START_DETECTION);
    return true;
  }
  dialog.m_nEnableUSBFailures = keeps_counting ? dialog.m_nEnableUSBFailures + 1 : 0;
  dialog.ShowControl(IDC_WARNING_TEXT, platform::SW_HIDE);
  return dialog.DisplayDetectionFailed();
}

// True when the sequence goes on, also through the recovery dialog of an abort.
bool ActOnFailed(CCorvikUpgradeDlg& dialog, const OnFailed& row, platform::UINT runner_message) {
  if (row.marks_no_device) dialog.m_nDeviceState = CCorvikUpgradeDlg::kNoDeviceDetected;
  Log(dialog, row.text);
  switch (row.failure) {
    case Failure::kStop:
      break;
    case Failure::kRetry:
      return Retry(dialog, row.abort, runner_message);
    case Failure::kRestartDetection:
      return RestartDetection(dialog, row.keeps_counting);
  }
  return false;
}

}  // namespace

TakenReply TakeReply(const CCorvikUpgradeDlg& dialog, int command, platform::LPARAM lParam) {
  TakenReply reply;
  if (command == kDeviceJob) {
    reply.verified = lParam != 0;
    return reply;
  }
  platform::BYTE verified = 0;
  if (dialog.m_pUpgradeThread != nullptr)
    dialog.m_pUpgradeThread->GetRecData(reply.bytes, verified);
  reply.verified = verified != 0;
  return reply;
}

void RunCheck(CCorvikUpgradeDlg& dialog, std::span<const ReplyRow> rows,
              platform::UINT runner_message, const TakenReply& reply, platform::WPARAM wParam) {
  // A reply that finds nothing pending (a repeated one) changes nothing.
  const int command = std::exchange(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
  if (command == CCorvikUpgradeDlg::kNothingPending) return;
  // From here the request is answered: a second reply, also one that comes while a box or the
  // recovery dialog of this check is open, finds nothing pending.
  if (reply.verified && command != kDeviceJob) dialog.m_nRetryCount = 0;
  const auto row = std::find_if(rows.begin(), rows.end(), [command](const ReplyRow& candidate) {
    return candidate.command == command;
  });
  bool goes_on = false;
  if (row != rows.end()) {
    goes_on = reply.verified ? ActOnVerified(dialog, row->verified, ReplyBytes(reply.bytes), wParam)
                             : ActOnFailed(dialog, row->failed, runner_message);
  }
  if (!goes_on) dialog.HaltSequence();
}

}  // namespace reply_checks
