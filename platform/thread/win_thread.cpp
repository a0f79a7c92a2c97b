#include "platform/thread/win_thread.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "platform/thread/message_loop.h"

namespace platform {

namespace {

thread_local WinThread* t_current_thread = nullptr;

// Thrown by EndThread; only the thread's entry catches it.
struct EndThreadRequest {
  int exit_code;
};

}  // namespace

void ThreadEnd::Finish(int exit_code) {
  // Notified under the lock: a waiter whose deadline ends its wait takes its point off the list
  // under the same lock before the point goes, so no point is notified after its waiter left.
  const std::lock_guard lock(mutex_);
  exit_code_ = exit_code;
  for (WaitPoint* waiter : waiters_) {
    GetClock().Notify(*waiter);
  }
  waiters_.clear();
}

bool ThreadEnd::IsFinished() const { return ExitCode().has_value(); }

std::optional<int> ThreadEnd::ExitCode() const {
  const std::lock_guard lock(mutex_);
  return exit_code_;
}

ThreadEnd::~ThreadEnd() {
  // Nobody waited for it: the thread (possibly this very one) finishes on its own.
  if (system_thread_.joinable()) system_thread_.detach();
}

void ThreadEnd::Adopt(std::thread system_thread) {
  const std::lock_guard lock(join_mutex_);
  system_thread_ = std::move(system_thread);
}

bool ThreadEnd::WaitFor(Deadline deadline) {
  WaitPoint point;
  bool ended = false;
  for (;;) {
    {
      const std::lock_guard lock(mutex_);
      if (exit_code_) {
        std::erase(waiters_, &point);
        ended = true;
        break;
      }
      if (std::find(waiters_.begin(), waiters_.end(), &point) == waiters_.end()) {
        waiters_.push_back(&point);
      }
    }
    if (!GetClock().Wait(point, deadline)) {
      const std::lock_guard lock(mutex_);
      std::erase(waiters_, &point);
      ended = exit_code_.has_value();
      break;
    }
  }
  if (ended) JoinSystemThread();
  return ended;
}

void ThreadEnd::JoinSystemThread() {
  // After Finish the thread only leaves the clock and runs its thread-local clean-up (libraries
  // free their per-thread state there), which waits for nothing: the join is short.
  const std::lock_guard lock(join_mutex_);
  if (system_thread_.joinable() && system_thread_.get_id() != std::this_thread::get_id()) {
    system_thread_.join();
  }
}

WinThread::WinThread() = default;

WinThread::~WinThread() = default;

BOOL WinThread::CreateThread(DWORD create_flags) {
  queue_ = CreateRegisteredQueue();
  thread_id_ = queue_->ThreadId();
  suspend_count_ = (create_flags & CREATE_SUSPENDED) != 0 ? 1 : 0;
  // Counted before it runs, so the clock never sees "all waiting" while it is starting.
  clock_ = ShareClock();
  clock_->Join();
  // Kept aside: an unsuspended thread may be over, and this object gone, before Adopt.
  const std::shared_ptr<ThreadEnd> end = end_;
  try {
    end->Adopt(std::thread([this] { ThreadMain(); }));
  } catch (const std::system_error&) {
    // The system has no thread to give: nothing of it may stay counted or reachable.
    clock_->CancelJoin();
    clock_.reset();
    queue_->Close();
    UnregisterQueue(thread_id_);
    return FALSE;
  }
  return TRUE;
}

DWORD WinThread::ResumeThread() {
  // Notified under the lock: the thread cannot pass its start, end and delete itself (and
  // `resume_` with it) before the notice is out.
  const std::lock_guard lock(suspend_mutex_);
  const DWORD previous = suspend_count_;
  if (suspend_count_ > 0) {
    --suspend_count_;
  }
  if (previous == 1) {
    GetClock().Notify(resume_);
  }
  return previous;
}

BOOL WinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return queue_ && queue_->Post(Msg{nullptr, message, wParam, lParam, {}}) ? TRUE : FALSE;
}

BOOL WinThread::InitInstance() { return FALSE; }

int WinThread::Run() {
  Msg message;
  while (GetMessage(message) != FALSE) {
    DispatchMessage(message);
  }
  quit_code_ = static_cast<int>(message.wParam);
  return ExitInstance();
}

int WinThread::ExitInstance() { return quit_code_; }

void WinThread::DispatchThreadMessage(const Msg& /*message*/) {}

WinThread* WinThread::Current() { return t_current_thread; }

int WinThread::RunInstance() {
  try {
    return InitInstance() != FALSE ? Run() : ExitInstance();
  } catch (const EndThreadRequest& request) {
    return request.exit_code;
  }
}

void WinThread::ThreadMain() {
  Clock::AdoptParticipation();
  BindCurrentQueue(queue_);
  t_current_thread = this;
  for (;;) {
    {
      const std::lock_guard lock(suspend_mutex_);
      if (suspend_count_ == 0) {
        break;
      }
    }
    GetClock().Wait(resume_, std::nullopt);
  }
  const int exit_code = RunInstance();

  // Members may be gone after the auto-delete, so keep what is needed afterwards.
  const std::shared_ptr<MessageQueue> queue = queue_;
  const std::shared_ptr<ThreadEnd> end = end_;
  const std::shared_ptr<Clock> clock = clock_;
  t_current_thread = nullptr;
  queue->Close();
  UnregisterQueue(queue->ThreadId());
  if (m_bAutoDelete != FALSE) {
    delete this;
  }
  BindCurrentQueue(nullptr);
  end->Finish(exit_code);
  clock->Leave();
}

int WinThread::RunOnCurrentThread() {
  // A thread that takes part in the clock already stays counted once.
  const bool joins = !Clock::IsParticipant();
  if (joins) {
    GetClock().Join();
    Clock::AdoptParticipation();
  }
  queue_ = CurrentQueueShared();
  thread_id_ = queue_->ThreadId();
  WinThread* const outer = t_current_thread;
  t_current_thread = this;
  const int exit_code = RunInstance();
  t_current_thread = outer;
  end_->Finish(exit_code);
  if (joins) {
    GetClock().Leave();
  }
  return exit_code;
}

void EndThread(int exit_code) { throw EndThreadRequest{exit_code}; }

}  // namespace platform
