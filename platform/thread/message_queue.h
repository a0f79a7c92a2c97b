#pragma once

// The message queue of one thread: posted messages (FIFO), sent messages (handled before
// posted ones), timers, closures and the quit request.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/win_types.h"

namespace platform {

struct Msg {
  HWND hwnd = nullptr;  // null: a thread message (or a closure)
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::function<void()> closure;  // set: run this instead of dispatching a message
};

class MessageQueue {
 public:
  explicit MessageQueue(DWORD thread_id);
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;
  ~MessageQueue() = default;

  DWORD ThreadId() const { return thread_id_; }

  // Any thread. False once the queue's thread has ended.
  bool Post(Msg message);
  bool PostClosure(std::function<void()> closure, Millis delay = 0);
  void PostQuit(int exit_code);

  // Any other thread: hands the message over and blocks until the owner has handled it.
  LRESULT SendFrom(const std::shared_ptr<MessageQueue>& sender, HWND hwnd, UINT message,
                   WPARAM wParam, LPARAM lParam);

  // Owner thread only. Waits for the next posted message, due timer or closure, handling sent
  // messages meanwhile. False when the quit request is taken (its code in `quit_code`).
  bool Get(Msg& out, int& quit_code);
  // Owner thread: handles every sent message waiting now.
  void HandleSentMessages();
  // Owner thread: waits until something arrives (or `deadline`), without taking it.
  void WaitForActivity(Deadline deadline);

  // Timers by window and id; a repeating WM_TIMER while the timer lives.
  void SetTimer(HWND hwnd, UINT_PTR id, Millis interval);
  bool KillTimer(HWND hwnd, UINT_PTR id);
  void KillTimersOf(HWND hwnd);

  // The thread has ended: later posts fail and waiting senders get 0.
  void Close();
  bool IsClosed() const;

 private:
  struct SentMessage {
    Msg message;
    LRESULT result = 0;
    std::atomic<bool> done = false;
    std::shared_ptr<MessageQueue> sender;
  };
  struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    Millis interval = 0;
    Millis due = 0;
    std::uint64_t sequence = 0;
    std::function<void()> closure;  // one-shot delayed closure instead of WM_TIMER
  };

  class SentMessageRelease;

  std::optional<Msg> TakeReadyLocked(int& quit_code, bool& quit);
  Deadline NextTimerDueLocked() const;
  static void Complete(SentMessage& sent, LRESULT result);
  void Wake();

  const DWORD thread_id_;
  mutable std::mutex mutex_;
  WaitPoint wake_;
  std::deque<Msg> posted_;
  std::deque<std::shared_ptr<SentMessage>> sent_;
  std::vector<Timer> timers_;
  std::uint64_t next_timer_sequence_ = 0;
  std::optional<int> quit_code_;
  bool closed_ = false;
};

// The queue of the calling thread, made on first use for threads the platform did not start.
MessageQueue& CurrentQueue();
std::shared_ptr<MessageQueue> CurrentQueueShared();
// Makes `queue` the calling thread's queue (a platform thread binds the queue its creator made).
void BindCurrentQueue(std::shared_ptr<MessageQueue> queue);
// A fresh queue registered under a new thread id.
std::shared_ptr<MessageQueue> CreateRegisteredQueue();
// The queue of a thread id, or null when that thread has ended or never existed.
std::shared_ptr<MessageQueue> FindQueue(DWORD thread_id);
void UnregisterQueue(DWORD thread_id);

}  // namespace platform
