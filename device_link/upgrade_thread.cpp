#include "device_link/upgrade_thread.h"

#include <exception>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "device_link/application_link.h"
#include "device_link/link_boxes.h"
#include "device_link/upgrade_messages.h"
#include "device_link/usb_access.h"
#include "device_link/worker_main_window.h"
#include "platform/com/com_error.h"
#include "platform/exceptions.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/message_box.h"

using platform::BYTE;
using platform::LPARAM;
using platform::WPARAM;

namespace {

// m_nDeviceNo values that mean that no console has been found yet.
constexpr int kDeviceNotFound = -2;
constexpr int kDeviceNotSearched = -3;

constexpr char kNoConnectionSendCommand[] =
    "There is no USB connection to Halcyra ::SendUSBCommand";
constexpr char kNoConnectionSendCommand2[] = "There is no USB connection to Halcyra ";
constexpr char kNoConnectionFirmware[] = "There is no USB connection to Halcyra";
constexpr char kNoConnectionReset[] = "There is no USB connection to Halcyra ::ResetUSBDevice";

// Runs a handler body; an exception ends it with a box naming the handler (and, for a COM
// error, the failed result) and `caught` as its result. The worker thread goes on.
template <class Body>
int RunCaught(std::string_view handler, int caught, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const platform::CException&) {
    ReportCaughtException(handler);
  } catch (const std::bad_alloc&) {
    // Running out of memory is one of the framework's own exceptions.
    ReportCaughtException(handler);
  } catch (const platform::_com_error& error) {
    ReportCaughtComError(handler, error);
  } catch (const std::exception& error) {
    ReportCaughtException(handler, error.what());
  }
  return caught;
}

// Marks the worker busy for a scope.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy), was_busy_(std::exchange(busy, true)) {}
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { busy_ = was_busy_; }

 private:
  bool& busy_;
  bool was_busy_;
};

WPARAM DeviceNumberParam(int device_number) {
  return static_cast<WPARAM>(static_cast<LPARAM>(device_number));
}

// Puts the transport switch back however the file job ends.
class TransportSwitchRestore {
 public:
  explicit TransportSwitchRestore(CApplicationLink& app)
      : app_(app), saved_(app.m_bControlTransport) {}
  TransportSwitchRestore(const TransportSwitchRestore&) = delete;
  TransportSwitchRestore& operator=(const TransportSwitchRestore&) = delete;
  ~TransportSwitchRestore() { app_.m_bControlTransport = saved_; }

 private:
  CApplicationLink& app_;
  BYTE saved_;
};

}  // namespace

CUpGradeThread* CUpGradeThread::CreateObject() { return new CUpGradeThread(); }

CUpGradeThread* CUpGradeThread::BeginSuspended(platform::HWND main_window) {
  CUpGradeThread* const thread = CreateObject();
  thread->m_pMainWnd = main_window;
  if (thread->CreateThread(platform::CREATE_SUSPENDED) == platform::FALSE) {
    delete thread;
    return nullptr;
  }
  return thread;
}

CUpGradeThread::CUpGradeThread() = default;

CUpGradeThread::~CUpGradeThread() = default;

int CUpGradeThread::SetThreadTask(_STRUCT_THREAD_TASK task) {
  m_nTaskKind = task.nTaskKind;
  m_strTaskFilePath = std::move(task.strFilePath);
  m_nTaskCommand = task.nCommand;
  m_nImageLength = task.nImageLength;
  m_nImageStart = task.nImageStart;
  m_nImageChecksum = task.nImageChecksum;
  m_bTaskHasPayload = 0;
  return 0;
}

void CUpGradeThread::HandOverJob() {
  Job job = JobInFields();
  const std::lock_guard lock(jobs_mutex_);
  handed_over_.push_back(std::move(job));
}

CUpGradeThread::Job CUpGradeThread::JobInFields() const {
  Job job;
  job.task = {m_nTaskKind,    m_strTaskFilePath, m_nTaskCommand,
              m_nImageLength, m_nImageStart,     m_nImageChecksum};
  job.has_payload = m_bTaskHasPayload != 0;
  if (job.has_payload) job.payload = m_arrTaskPayload;
  return job;
}

CUpGradeThread::Job CUpGradeThread::TakeNextJob() {
  const std::lock_guard lock(jobs_mutex_);
  if (handed_over_.empty()) return JobInFields();
  Job next = std::move(handed_over_.front());
  handed_over_.pop_front();
  return next;
}

bool CUpGradeThread::JobSet() {
  const std::lock_guard lock(jobs_mutex_);
  const int kind = handed_over_.empty() ? m_nTaskKind : handed_over_.front().task.nTaskKind;
  return kind != TASK_NONE;
}

int CUpGradeThread::GetRecData(std::vector<BYTE>& reply, BYTE& verified) {
  return RunCaught("GetRecData", -1, [&] {
    if (m_bReplyReceived == 0) {
      return -1;
    }
    reply = m_arrReply;
    verified = m_bReplyVerified;
    return 0;
  });
}

platform::BOOL CUpGradeThread::InitInstance() {
  if (!JobSet()) {
    ShowLinkError("Please Set Thread Task First");
    return platform::FALSE;
  }
  {
    const BusyScope busy(busy_);
    // A transport that fails to come up leaves the jobs without one; they then do nothing and
    // the main window's reply time-out takes over.
    RunCaught("InitInstance", 0, [this] {
      if (!m_pUSBAccess) {
        m_pUSBAccess = std::make_unique<CUSBAccess>();
        m_pUSBAccess->EnumerateDevices();
      }
      return 0;
    });
  }
  RunDeferred();
  return platform::TRUE;
}

void CUpGradeThread::DispatchThreadMessage(const platform::Msg& message) {
  const bool waits_for_idle =
      message.message == WM_UPG_RUN_TASK || message.message == WM_UPG_READ_COMPLETE;
  if (busy_ && waits_for_idle) {
    deferred_.push_back(message);
    return;
  }
  {
    const BusyScope busy(busy_);
    HandleThreadMessage(message);
  }
  RunDeferred();
}

void CUpGradeThread::RunDeferred() {
  while (!busy_ && !deferred_.empty()) {
    const platform::Msg next = deferred_.front();
    deferred_.erase(deferred_.begin());
    const BusyScope busy(busy_);
    HandleThreadMessage(next);
  }
}

void CUpGradeThread::HandleThreadMessage(const platform::Msg& message) {
  switch (message.message) {
    case WM_UPG_TEST_THREAD:
      OnTestThreadComm(message.wParam, message.lParam);
      break;
    case WM_UPG_END_THREAD:
      OnEndThread(message.wParam, message.lParam);
      break;
    case WM_UPG_READ_COMPLETE:
      GetReceivedUSBData(message.wParam, message.lParam);
      break;
    case WM_UPG_RUN_TASK:
      OnRunTask(message.wParam, message.lParam);
      break;
    default:
      break;
  }
}

void CUpGradeThread::OnRunTask(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  running_ = TakeNextJob();
  switch (running_.task.nTaskKind) {
    case TASK_SEND_COMMAND:
      if (running_.task.nCommand == kNoTaskCommand) {
        ShowLinkError("Please Set Thread Command First!");
      } else if (running_.has_payload) {
        SendUSBCommand2();
      } else {
        SendUSBCommand();
      }
      break;
    case TASK_SEND_DSP_FILE:
    case TASK_SEND_CPLD_FILE:
    case TASK_SEND_CVM_FILE:
    case TASK_SEND_BOOTBLOCK_FILE:
      SendUSBFirmWare();
      break;
    case TASK_IDENTIFY_DEVICE:
      IdentifyUSBDeviceNo();
      break;
    case TASK_RESET_DEVICE:
      ResetUSBDevice();
      break;
    default:
      break;
  }
}

void CUpGradeThread::GetReceivedUSBData(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  RunCaught("GetReceivedUSBData", 0, [this] {
    if (!m_pUSBAccess) {
      return 0;
    }
    BYTE valid = 0;
    std::vector<BYTE> report;
    // A read-complete whose report was already taken, or whose report was a late reply to an
    // earlier request, answers nothing.
    if (m_pUSBAccess->ReadReport(report, valid) != CUSBAccess::kReportTaken) {
      return 0;
    }
    m_arrReply = std::move(report);
    m_bReplyVerified = valid;
    m_bReplyReceived = 1;
    SendToWorkerMainWindow(WM_UPG_REPLY, 0, 0);
    return 0;
  });
}

void CUpGradeThread::OnEndThread(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  // Only the main window's end asks for this, and nobody holds the worker object after it, so it
  // goes with its thread whatever the last job hand-over set.
  m_bAutoDelete = platform::TRUE;
  platform::EndThread(0);
}

void CUpGradeThread::OnTestThreadComm(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  ShowLinkError("Test Thread Comm");
  SendToWorkerMainWindow(WM_UPG_TEST_DLG, 0, 0);
  platform::PostQuitMessage(0);
}

bool CUpGradeThread::OpenConsole(std::string_view no_connection_text) {
  const int device_number = GetApplicationLink().m_nDeviceNo;
  if (device_number != kDeviceNotFound && device_number != kDeviceNotSearched) {
    m_pUSBAccess->OpenUSBDevice(device_number);
    return true;
  }
  if (m_pUSBAccess->OpenUSBDevice(CUSBAccess::kSearchDevice) == CUSBAccess::kNoDevice) {
    ShowLinkInformation(no_connection_text);
    return false;
  }
  return true;
}

int CUpGradeThread::SendCommandJob(std::string_view no_connection_text, std::vector<BYTE> payload) {
  if (!m_pUSBAccess) {
    return kJobDone;
  }
  if (!OpenConsole(no_connection_text)) {
    return kJobNoConnection;
  }
  m_pUSBAccess->ConfigureDevice();
  m_pUSBAccess->BindCommandPipes();
  const _STRUCT_USB_COMMAND command{running_.task.nCommand, std::move(payload)};
  m_pUSBAccess->SendCommand(&command);
  return kJobDone;
}

int CUpGradeThread::SendUSBCommand() {
  return RunCaught("SendUSBCommand", kJobDone,
                   [this] { return SendCommandJob(kNoConnectionSendCommand, {}); });
}

int CUpGradeThread::SendUSBCommand2() {
  return RunCaught("SendUSBCommand2", kJobDone,
                   [this] { return SendCommandJob(kNoConnectionSendCommand2, running_.payload); });
}

int CUpGradeThread::SendUSBFirmWare() {
  CApplicationLink& app = GetApplicationLink();
  bool sent = false;
  const int result = RunCaught("SendUSBFirmWare", kJobDone, [this, &app, &sent] {
    // The whole job streams through the server instances.
    const TransportSwitchRestore restore(app);
    app.m_bControlTransport = 0;
    if (!m_pUSBAccess) {
      return kJobDone;
    }
    if (!OpenConsole(kNoConnectionFirmware)) {
      return kJobNoConnection;
    }
    m_pUSBAccess->ConfigureDevice();
    m_pUSBAccess->StartFileStreams();
    MarkDownloadKind(app);
    const _STRUCT_THREAD_TASK& task = running_.task;
    const int download = task.nTaskKind == TASK_SEND_CVM_FILE
                             ? m_pUSBAccess->DownloadCVMFile(task.strFilePath, task.nImageLength,
                                                             task.nImageStart, task.nImageChecksum)
                             : m_pUSBAccess->DownloadFile(task.strFilePath, task.nImageLength,
                                                          task.nImageStart, task.nImageChecksum);
    sent = download == CUSBAccess::kDownloadDone;
    if (!sent) ClearDownloadKind(app);
    return kJobDone;
  });
  // A file that could not be opened was not sent: the reply time-out takes over instead.
  if (sent) {
    PostFileSentMessages(app);
  }
  return result;
}

void CUpGradeThread::MarkDownloadKind(CApplicationLink& app) const {
  switch (running_.task.nTaskKind) {
    case TASK_SEND_DSP_FILE:
      app.m_bSendingDSPFile = 1;
      break;
    case TASK_SEND_BOOTBLOCK_FILE:
      app.m_bSendingBootBlockFile = 1;
      break;
    case TASK_SEND_CVM_FILE:
      app.m_bSendingCVMFile = 1;
      break;
    default:
      break;
  }
}

// A download that did not complete takes back its mark, so that no later download reports
// this file as sent.
void CUpGradeThread::ClearDownloadKind(CApplicationLink& app) const {
  switch (running_.task.nTaskKind) {
    case TASK_SEND_DSP_FILE:
      app.m_bSendingDSPFile = 0;
      break;
    case TASK_SEND_BOOTBLOCK_FILE:
      app.m_bSendingBootBlockFile = 0;
      break;
    case TASK_SEND_CVM_FILE:
      app.m_bSendingCVMFile = 0;
      break;
    default:
      break;
  }
}

void CUpGradeThread::PostFileSentMessages(const CApplicationLink& app) {
  // The main window clears the flags; one still set from an earlier download goes again.
  if (app.m_bSendingDSPFile == 1) {
    PostToWorkerMainWindow(WM_UPG_DSP_FILE_SENT, 0, 0);
  }
  if (app.m_bSendingBootBlockFile == 1) {
    PostToWorkerMainWindow(WM_UPG_BOOTBLOCK_FILE_SENT, 0, 0);
  }
  if (app.m_bSendingCVMFile == 1) {
    PostToWorkerMainWindow(WM_UPG_CVM_FILE_SENT, 0, 0);
  }
}

int CUpGradeThread::IdentifyUSBDeviceNo() {
  return RunCaught("IdentifyUSBDeviceNo", kJobDone, [this] {
    if (!m_pUSBAccess) {
      return kJobDone;
    }
    CApplicationLink& app = GetApplicationLink();
    const int found = m_pUSBAccess->FindDevice(CUSBAccess::kSearchDevice);
    if (found == CUSBAccess::kNoDevice) {
      SendToWorkerMainWindow(WM_UPG_REPLY, DeviceNumberParam(app.m_nDeviceNo), 0);
      return kJobNoDeviceFound;
    }
    app.m_nDeviceNo = found;
    SendToWorkerMainWindow(WM_UPG_REPLY, DeviceNumberParam(found), 1);
    return kJobDone;
  });
}

int CUpGradeThread::ResetUSBDevice() {
  return RunCaught("ResetUSBDevice", kJobDone, [this] {
    if (!m_pUSBAccess) {
      return kJobDone;
    }
    if (!OpenConsole(kNoConnectionReset)) {
      return kJobNoConnection;
    }
    m_pUSBAccess->ConfigureDevice();
    if (m_pUSBAccess->ResetDevice()) {
      SendToWorkerMainWindow(WM_UPG_REPLY, 1, 1);
    } else {
      platform::AfxMessageBox("Device Reset Failed!");
    }
    return kJobDone;
  });
}
