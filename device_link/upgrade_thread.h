#pragma once

// The worker thread: owns the USB transport and runs one USB job at a time for the main window
// (send a command, download a firmware file, identify the console, reset it). It answers by
// window messages to its main window (upgrade_messages.h).
//
// Hand-over of a job (GUI thread):
//   1. set m_bAutoDelete as wanted;
//   2. SetThreadTask(task), or for a command with a payload write m_nTaskKind =
//      TASK_SEND_COMMAND, m_nTaskCommand, m_arrTaskPayload and m_bTaskHasPayload = 1 directly;
//   3. HandOverJob(), then PostThreadMessage(WM_UPG_RUN_TASK, 0, 0);
//   4. ResumeThread() (the first resume runs InitInstance; later ones change nothing).
// HandOverJob gives the worker its own copy of the job, so a job handed over while another runs
// waits its turn and never changes the running one. A WM_UPG_RUN_TASK without it runs the job
// fields as they stand when the worker takes the message.
// A reply to a command arrives later: the main window forwards WM_UPG_READ_COMPLETE to the
// worker as a thread message, the worker reads the report and, when it took one that is not a
// late reply to an earlier request, sends WM_UPG_REPLY (0, 0); the main window takes the reply
// with GetRecData while the worker waits in that send.
//
// Start: CUpGradeThread::BeginSuspended(main window handle) makes the worker object, gives it
// the main window and creates its thread suspended. The main window is where every answer goes
// (m_pMainWnd); nothing is sent or posted once that window no longer exists.
// End: post WM_UPG_END_THREAD; the thread ends itself (a download under way stops at its next
// block once the main window is gone) and deletes the object, whatever m_bAutoDelete says: after
// that message nobody may touch the object again.

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread/win_thread.h"
#include "platform/win_types.h"

class CApplicationLink;
class CUSBAccess;

// Job kinds.
inline constexpr int TASK_SEND_COMMAND = 0;
inline constexpr int TASK_SEND_DSP_FILE = 1;
inline constexpr int TASK_SEND_CPLD_FILE = 2;
inline constexpr int TASK_IDENTIFY_DEVICE = 3;
inline constexpr int TASK_RESET_DEVICE = 4;
inline constexpr int TASK_SEND_CVM_FILE = 5;
inline constexpr int TASK_SEND_BOOTBLOCK_FILE = 6;
inline constexpr int TASK_NONE = 255;

// m_nTaskCommand when no command has been set.
inline constexpr int kNoTaskCommand = -1;

// One job as the main window hands it over. The three image fields describe the radio-module
// image of a TASK_SEND_CVM_FILE job; the downloads themselves use only the path.
struct _STRUCT_THREAD_TASK {
  int nTaskKind = TASK_NONE;
  std::string strFilePath;
  int nCommand = kNoTaskCommand;
  int nImageLength = 0;
  int nImageStart = 0;
  int nImageChecksum = 0;
};

class CUpGradeThread : public platform::WinThread {
 public:
  // Results of the job routines (nothing reads them; they say how a job ended).
  static constexpr int kJobDone = 0;
  static constexpr int kJobNoConnection = -1;
  static constexpr int kJobNoDeviceFound = -2;

  // A new worker object whose thread has not been created (the framework's dynamic creation).
  static CUpGradeThread* CreateObject();
  // A new worker that answers to `main_window`, its thread created suspended. Null when the
  // thread could not be created (the object is gone then).
  static CUpGradeThread* BeginSuspended(platform::HWND main_window);

  CUpGradeThread();
  ~CUpGradeThread() override;

  // Stores kind, path, command and the image fields and clears m_bTaskHasPayload. Returns 0.
  int SetThreadTask(_STRUCT_THREAD_TASK task);
  // GUI thread: queues a copy of the job now in the job fields as the one the next
  // WM_UPG_RUN_TASK runs.
  void HandOverJob();

  // GUI thread, while the worker waits in WM_UPG_REPLY or is idle. Copies the last report read
  // and its verified flag (1: its reply code answered the command sent) and returns 0; returns
  // -1 and writes nothing before the first reply, and after an exception while copying.
  int GetRecData(std::vector<platform::BYTE>& reply, platform::BYTE& verified);

  platform::BOOL InitInstance() override;
  void DispatchThreadMessage(const platform::Msg& message) override;

  // Thread message handlers.
  void OnRunTask(platform::WPARAM wParam, platform::LPARAM lParam);
  void GetReceivedUSBData(platform::WPARAM wParam, platform::LPARAM lParam);
  void OnEndThread(platform::WPARAM wParam, platform::LPARAM lParam);
  void OnTestThreadComm(platform::WPARAM wParam, platform::LPARAM lParam);

  // Job routines, on the job OnRunTask took: kJobDone when the job has run (also after a reported
  // failure), kJobNoConnection when no console was found on opening, kJobNoDeviceFound when
  // identify found none.
  int SendUSBCommand();
  int SendUSBCommand2();
  int SendUSBFirmWare();
  int IdentifyUSBDeviceNo();
  int ResetUSBDevice();

  // The job, written by the main window before it posts WM_UPG_RUN_TASK.
  std::string m_strTaskFilePath;
  int m_nTaskCommand = kNoTaskCommand;
  std::unique_ptr<CUSBAccess> m_pUSBAccess;
  std::vector<platform::BYTE> m_arrTaskPayload;
  int m_bTaskHasPayload = 0;
  // The last report read, written by the worker before it sends WM_UPG_REPLY.
  platform::BYTE m_bReplyVerified = 0;
  platform::BYTE m_bReplyReceived = 0;
  std::vector<platform::BYTE> m_arrReply;
  int m_nTaskKind = TASK_NONE;
  int m_nImageLength = 0;
  int m_nImageStart = 0;
  int m_nImageChecksum = 0;

 private:
  // A job as the worker runs it: its own copy, which no hand-over changes.
  struct Job {
    _STRUCT_THREAD_TASK task;
    std::vector<platform::BYTE> payload;
    bool has_payload = false;
  };

  Job JobInFields() const;
  // The job the next WM_UPG_RUN_TASK runs: the oldest one handed over, else the job fields.
  Job TakeNextJob();
  bool JobSet();
  // Opens the console for a job: the known device number, else a search. False (after a box
  // with `no_connection_text`) when the search found no console.
  bool OpenConsole(std::string_view no_connection_text);
  int SendCommandJob(std::string_view no_connection_text, std::vector<platform::BYTE> payload);
  void HandleThreadMessage(const platform::Msg& message);
  // Handles the job and read-complete messages that came while the worker was busy.
  void RunDeferred();
  void MarkDownloadKind(CApplicationLink& app) const;
  void ClearDownloadKind(CApplicationLink& app) const;
  static void PostFileSentMessages(const CApplicationLink& app);

  // A box shown while starting or inside a job handles the thread's messages; a job or
  // read-complete that comes meanwhile waits until the worker is idle again.
  bool busy_ = false;
  std::vector<platform::Msg> deferred_;
  // Jobs handed over and not yet taken, oldest first (GUI thread in, worker out).
  std::mutex jobs_mutex_;
  std::deque<Job> handed_over_;
  // The job being run (worker thread only).
  Job running_;
};
