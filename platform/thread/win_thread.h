#pragma once

// A thread with its own message loop, in the framework's manner: created (optionally
// suspended), InitInstance on the first resume, then the loop, then ExitInstance.

#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/thread/message_queue.h"
#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD CREATE_SUSPENDED = 0x4;

// Outlives the thread object (which may delete itself), so others can wait for the end.
class ThreadEnd {
 public:
  ThreadEnd() = default;
  ThreadEnd(const ThreadEnd&) = delete;
  ThreadEnd& operator=(const ThreadEnd&) = delete;
  ~ThreadEnd();

  // The system thread that reports its end here.
  void Adopt(std::thread system_thread);
  void Finish(int exit_code);
  bool IsFinished() const;
  std::optional<int> ExitCode() const;
  // Waits until the thread has ended or `deadline` (program time) has come. Once it has ended,
  // also until its system thread is gone, so that nothing of it runs on into the process's exit.
  bool WaitFor(Deadline deadline);

 private:
  void JoinSystemThread();

  mutable std::mutex mutex_;
  std::optional<int> exit_code_;
  std::vector<WaitPoint*> waiters_;
  std::mutex join_mutex_;
  std::thread system_thread_;
};

class WinThread {
 public:
  WinThread();
  WinThread(const WinThread&) = delete;
  WinThread& operator=(const WinThread&) = delete;
  virtual ~WinThread();

  // Starts the thread; with CREATE_SUSPENDED it waits for ResumeThread before InitInstance.
  BOOL CreateThread(DWORD create_flags = 0);
  // Returns the suspend count before the call (0: it was running already).
  DWORD ResumeThread();
  BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const;

  virtual BOOL InitInstance();
  virtual int Run();
  virtual int ExitInstance();
  // Handles a message posted to the thread itself (no window).
  virtual void DispatchThreadMessage(const Msg& message);

  // Runs InitInstance, the loop and ExitInstance on the calling thread (the process's main
  // thread); returns the exit code.
  int RunOnCurrentThread();

  DWORD ThreadId() const { return thread_id_; }
  std::shared_ptr<ThreadEnd> End() const { return end_; }
  static WinThread* Current();

  BOOL m_bAutoDelete = TRUE;
  HWND m_pMainWnd = nullptr;

 protected:
  int quit_code_ = 0;  // the code of the quit request that ended Run

 private:
  void ThreadMain();
  int RunInstance();

  std::shared_ptr<Clock> clock_;  // the clock this thread joined
  std::shared_ptr<MessageQueue> queue_;
  std::shared_ptr<ThreadEnd> end_ = std::make_shared<ThreadEnd>();
  DWORD thread_id_ = 0;
  std::mutex suspend_mutex_;
  DWORD suspend_count_ = 0;
  WaitPoint resume_;
};

// Ends the calling platform thread at once with `exit_code` (the rest of the stack unwinds);
// ExitInstance is not called. The thread object is deleted when its auto-delete switch is set.
[[noreturn]] void EndThread(int exit_code);

}  // namespace platform
