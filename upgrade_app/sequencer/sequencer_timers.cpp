// The reply time-out and the step delay: retries, the reboot dialogue, the abort, and the
// advance of whichever runner owns the sequence.

#include <algorithm>
#include <utility>

#include "platform/text_format.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/retry_policy.h"
#include "upgrade_app/sequencer/runner_modes.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

constexpr platform::UINT kMinimumStepDelay = 1000;

constexpr char kNoResponseText[] =
    "\r\nThere is no response from Halcyra.\r\nIt looks like the USB connection is not "
    "enabled.\r\nPlease check both cables and re-enter the key sequence on the phone to enable it "
    "for USB connection.\r\nOnce again for your convenience we repeat the key sequence:\r\n1.\tHit "
    "the EXIT key on the phone several times until the phone displays the word "
    "\"Ready\".\r\n2.\tHit "
    "the MENU key on the phone.\r\n3.\tUsing the down arrow key on the phone scroll to "
    "\"ADMINISTRATION SETUP\".\r\n4.\tHit the SELECT key.\r\n5.\tScroll down to \"SOFTWARE "
    "UPGRADE\".\r\n6.\tHit the SELECT key again.\r\n7.\tPress the key under the LCD display that "
    "is "
    "under the word \"START\".\r\n8.\tOn the PC click OK.";

}  // namespace

void CCorvikUpgradeDlg::StartTimer(int elapse, int kind) {
  ReportingExceptions(CaughtIn("StartTimer"), [this, elapse, kind] {
    if (kind == kReplyTimerKind) {
      if (m_nReplyTimer != kNoTimer) StopTimer(kReplyTimerKind);
      m_nReplyTimer = static_cast<TimerHandle>(
          SetTimer(kReplyTimerId, static_cast<platform::UINT>(std::max(elapse, 0))));
    } else if (kind == kStepTimerKind) {
      if (m_nStepTimer != kNoTimer) StopTimer(kStepTimerKind);
      if (EngineeringMode()) UpdateStatus(this, "\r\nWaiting for task completion\r\n");
      const platform::UINT period =
          elapse < 1 ? kMinimumStepDelay : static_cast<platform::UINT>(elapse);
      m_nStepTimer = static_cast<TimerHandle>(SetTimer(kStepTimerId, period));
    }
  });
}

void CCorvikUpgradeDlg::StopTimer(int kind) {
  ReportingExceptions(CaughtIn("StopTimer"), [this, kind] {
    if (kind == kReplyTimerKind) {
      if (m_nReplyTimer != kNoTimer) KillTimer(static_cast<platform::UINT_PTR>(m_nReplyTimer));
      m_nReplyTimer = kNoTimer;
    } else if (kind == kStepTimerKind) {
      if (m_nStepTimer != kNoTimer) KillTimer(static_cast<platform::UINT_PTR>(m_nStepTimer));
      m_nStepTimer = kNoTimer;
    }
    // A console-parameter sequence keeps the panel until it ends, and a job keeps it until its
    // reply or time-out: a step delay that ends meanwhile must not let a second job in.
    const bool reply_awaited = m_nReplyTimer != kNoTimer;
    if (m_nConsoleMode == 0 && !reply_awaited) EnableAllButtons();
  });
}

void CCorvikUpgradeDlg::HaltSequence() {
  m_nConsoleMode = 0;
  m_nConsoleStep = 0;
  EnableControl(platform::IDOK, platform::TRUE);
  EnableCloseCommand(true);
  if (EngineeringMode()) {
    EnableAllButtons();
  } else {
    EnableControl(IDC_UPGRADE, platform::TRUE);
  }
}

void CCorvikUpgradeDlg::AbortUpgrade() {
  m_nRetryCount = 0;
  // Nothing is awaited any more: a later time-out (of a download, which sets no pending command)
  // must not act on the aborted command.
  m_nPendingCommand = kNothingPending;
  UpdateStatus(this, "\r\nSoftware upgrade process aborted.\r\n");
  g_bAbort = 1;
  StopTimer(kReplyTimerKind);
  const bool recovery_shown = ShowFailDialogOnce();
  EnableControl(platform::IDOK, platform::TRUE);
  m_nCVMStep = 0;
  m_nDetectionStep = 0;
  m_nCurrentStep = 0;
  if (!recovery_shown) HaltSequence();
}

bool CCorvikUpgradeDlg::AbortToDetectionFailed() {
  m_nRetryCount = 0;
  g_bAbort = 1;
  m_bAborted = 1;
  EnableControl(platform::IDOK, platform::TRUE);
  return DisplayDetectionFailed();
}

namespace {

using retry_policy::Action;

// First time-out of an enable-USB command on the main runner: the user reboots the phone and
// starts its upgrade mode again, or gives up.
void RebootDialogue(CCorvikUpgradeDlg& dialog, platform::UINT owner_message) {
  const std::string_view caption = FindResourceString(IDS_MESSAGE_CAPTION);
  if (dialog.MessageBox(FindResourceString(IDS_REBOOT_PHONE), caption,
                        platform::MB_OK | platform::MB_ICONINFORMATION) == platform::IDOK) {
    UpdateStatus(&dialog, "Phone rebooted by the user");
  }
  if (dialog.MessageBox(FindResourceString(IDS_START_UPGRADE_ON_PHONE), caption,
                        platform::MB_OKCANCEL | platform::MB_ICONINFORMATION) == platform::IDOK) {
    dialog.PostMessage(owner_message);
  } else {
    dialog.HaltSequence();
  }
}

void DetectionFailed(CCorvikUpgradeDlg& dialog) {
  if (!dialog.AbortToDetectionFailed()) dialog.HaltSequence();
}

void RunNextStep(CCorvikUpgradeDlg& dialog, const SequenceOwner& owner) {
  ++(dialog.*owner.step);
  dialog.PostMessage(owner.message);
}

void ActOnTimeout(CCorvikUpgradeDlg& dialog, Action action, const SequenceOwner& owner) {
  switch (action) {
    case Action::kRepeatStep:
      dialog.PostMessage(owner.message);
      break;
    case Action::kRebootDialogue:
      RebootDialogue(dialog, owner.message);
      break;
    case Action::kPostRadioModuleRunner:
      dialog.PostMessage(WM_UPG_NEXT_CVM_TASK);
      break;
    case Action::kDetectionFailed:
      DetectionFailed(dialog);
      break;
    case Action::kNextStepFresh:
      dialog.m_nRetryCount = 0;
      RunNextStep(dialog, owner);
      break;
    case Action::kNextStep:
      RunNextStep(dialog, owner);
      break;
    case Action::kAbort:
      dialog.AbortUpgrade();
      break;
  }
}

}  // namespace

void CCorvikUpgradeDlg::OnTimer(platform::UINT_PTR id) {
  ReportingExceptions(CaughtIn("OnTimer"), [this, id] {
    if (m_nReplyTimer != kNoTimer && id == static_cast<platform::UINT_PTR>(m_nReplyTimer)) {
      StopTimer(kReplyTimerKind);
      // The request is over: its reply, should it still come, must not move the sequence on
      // behind the boxes this time-out may show.
      const int timed_out = std::exchange(m_nPendingCommand, kNothingPending);
      UpdateStatus(this, kNoResponseText);
      if (EngineeringMode() || timed_out == kNothingPending) {
        HaltSequence();
      } else {
        ++m_nRetryCount;
        if (m_nRetryCount == 1) UpdateStatus(this, platform::Format("\r\nRetry# %d\r\n", 1));
        const SequenceOwner owner = OwnerOfSequence(*this);
        ActOnTimeout(*this,
                     retry_policy::OnReplyTimeout(m_nRetryCount, owner.time_out_rows, timed_out),
                     owner);
      }
    }
    if (m_nStepTimer != kNoTimer && id == static_cast<platform::UINT_PTR>(m_nStepTimer)) {
      StopTimer(kStepTimerKind);
      if (!EngineeringMode()) {
        UpdateStatus(this, platform::Format("\r\nTask#:%d Completed", m_nCurrentStep));
        RunNextStep(*this, OwnerOfSequence(*this));
      }
      if (m_nConsoleMode != 0) {
        ++m_nConsoleStep;
        PostMessage(WM_UPG_NEXT_CONSOLE_PARAM_TASK);
      }
    }
  });
}
