// Every USB job goes to the worker the same way: the job is complete in the worker's fields and
// handed over as a copy, then WM_UPG_RUN_TASK is posted and the worker resumed, then the window
// waits for the reply.

#include <string>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "platform/thread/message_loop.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/images/cvm_image.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/sequencer/step_tables.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

constexpr int kCvmImageReplyTimeout = 8000000;

_STRUCT_THREAD_TASK Task(int kind, std::string path = {}, int command = kNoTaskCommand) {
  _STRUCT_THREAD_TASK task;
  task.nTaskKind = kind;
  task.strFilePath = std::move(path);
  task.nCommand = command;
  return task;
}

}  // namespace

void CCorvikUpgradeDlg::HandOverTask(const _STRUCT_THREAD_TASK& task, bool auto_delete) {
  if (m_pUpgradeThread == nullptr) return;
  m_pUpgradeThread->m_bAutoDelete = auto_delete ? platform::TRUE : platform::FALSE;
  m_pUpgradeThread->SetThreadTask(task);
  RunHandedOverJob();
}

void CCorvikUpgradeDlg::RunHandedOverJob() {
  // The worker takes its own copy: a job handed over while it still runs the previous one
  // waits its turn and changes nothing of that one.
  m_pUpgradeThread->HandOverJob();
  platform::PostThreadMessage(m_worker.thread_id, WM_UPG_RUN_TASK, 0, 0);
  ResumeWorker();
}

void CCorvikUpgradeDlg::HandOverCommandWithPayload(int command,
                                                   const std::vector<platform::BYTE>& payload) {
  if (m_pUpgradeThread == nullptr) return;
  m_pUpgradeThread->m_bAutoDelete = platform::FALSE;
  m_pUpgradeThread->m_nTaskKind = TASK_SEND_COMMAND;
  m_pUpgradeThread->m_arrTaskPayload = payload;
  m_pUpgradeThread->m_nTaskCommand = command;
  m_pUpgradeThread->m_bTaskHasPayload = 1;
  RunHandedOverJob();
}

void CCorvikUpgradeDlg::SendStepCommand(int command) {
  HandOverTask(Task(TASK_SEND_COMMAND, {}, command), false);
  m_nPendingCommand = command;
  StartTimer(kReplyTimeout, kReplyTimerKind);
}

void CCorvikUpgradeDlg::GenericSendCommandN(int command,
                                            const std::vector<platform::BYTE>& payload) {
  ReportingExceptions(CaughtIn("GenericSendCommandN"), [&] {
    HandOverCommandWithPayload(command, payload);
    m_nPendingCommand = command;
    StartTimer(EngineeringMode() ? kReplyTimeout : m_nStepTimeout, kReplyTimerKind);
  });
}

void CCorvikUpgradeDlg::GenericIdentifyUSBDevice(int argument) {
  ReportingExceptions(CaughtIn("GenericIdentifyUSBDevice"), [&] {
    HandOverTask(Task(TASK_IDENTIFY_DEVICE, {}, argument), false);
    m_nPendingCommand = argument;
    StartTimer(kReplyTimeout, kReplyTimerKind);
  });
}

void CCorvikUpgradeDlg::GenericResetDevice(int argument) {
  ReportingExceptions(CaughtIn("GenericResetDevice"), [&] {
    HandOverTask(Task(TASK_RESET_DEVICE, {}, argument), false);
    m_nPendingCommand = argument;
    StartTimer(EngineeringMode() ? kReplyTimeout : m_nStepTimeout, kReplyTimerKind);
  });
}

void CCorvikUpgradeDlg::GenericSendUSBFile() {
  ReportingExceptions(CaughtIn("GenericSendUSBFile"), [&] {
    _STRUCT_TASK step;
    if (m_nCVMMode != 0) {
      if (m_mapTask.Lookup(static_cast<platform::UINT>(m_nCVMStep), step) == 0 ||
          step.nType != kStepCvmImage) {
        HaltSequence();
        return;
      }
      _STRUCT_THREAD_TASK task = Task(TASK_SEND_CVM_FILE);
      task.nImageLength = m_nCVMImageLength;
      task.nImageStart = m_nCVMImageStart;
      task.nImageChecksum = static_cast<int>(m_nCVMImageChecksum);
      // A radio-module image that could not be made is not sent: the box has said so.
      // The preparer replaces m_strFilePath with the download file's path.
      const std::string hex_path = m_strFilePath;
      if (!PrepareCVMImageWithSum(this, hex_path)) {
        HaltSequence();
        return;
      }
      task.strFilePath = m_strFilePath;
      HandOverTask(task, true);
      StartTimer(kCvmImageReplyTimeout, kReplyTimerKind);
      return;
    }
    if (m_mapTask.Lookup(static_cast<platform::UINT>(m_nCurrentStep), step) == 0) {
      UpdateStatus(this, "\r\nTask Not Found Upgrade Abort\r\n");
      HaltSequence();
      return;
    }
    _STRUCT_THREAD_TASK task;
    if (step.nType == kStepDspImage) {
      task = Task(TASK_SEND_DSP_FILE, m_pApp->m_strDSPFilePath);
    } else if (step.nType == kStepCpldImage) {
      task = Task(TASK_SEND_CPLD_FILE, m_pApp->m_strCPLDFilePath);
    } else if (step.nType == kStepBootBlock && m_bSendBootBlock != 0) {
      m_bSendBootBlock = 0;
      task = Task(TASK_SEND_BOOTBLOCK_FILE, m_pApp->m_strBootBlockFilePath);
    } else {
      HaltSequence();
      return;
    }
    HandOverTask(task, false);
    StartTimer(kReplyTimeout, kReplyTimerKind);
  });
}

// The panel stays disabled until the reply or the time-out, so that no second job can
// overwrite the worker's job fields meanwhile.
void CCorvikUpgradeDlg::OnDetectUSBDevice() {
  DisableAllButtons();
  GenericIdentifyUSBDevice(1);
}

void CCorvikUpgradeDlg::OnResetUSBDevice() {
  DisableAllButtons();
  GenericResetDevice(1);
}
