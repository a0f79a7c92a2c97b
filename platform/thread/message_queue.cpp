#include "platform/thread/message_queue.h"

#include <algorithm>
#include <unordered_map>

#include "platform/thread/messages.h"
#include "platform/thread/window.h"

namespace platform {

namespace {

struct QueueRegistry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::weak_ptr<MessageQueue>> queues;
  DWORD next_id = 1;
};

QueueRegistry& Registry() {
  static QueueRegistry registry;
  return registry;
}

thread_local std::shared_ptr<MessageQueue> t_queue;

}  // namespace

MessageQueue::MessageQueue(DWORD thread_id) : thread_id_(thread_id) {}

void MessageQueue::Wake() { GetClock().Notify(wake_); }

bool MessageQueue::Post(Msg message) {
  {
    const std::lock_guard lock(mutex_);
    if (closed_) {
      return false;
    }
    posted_.push_back(std::move(message));
  }
  Wake();
  return true;
}

bool MessageQueue::PostClosure(std::function<void()> closure, Millis delay) {
  if (delay <= 0) {
    Msg message;
    message.closure = std::move(closure);
    return Post(std::move(message));
  }
  {
    const std::lock_guard lock(mutex_);
    if (closed_) {
      return false;
    }
    timers_.push_back(
        Timer{nullptr, 0, 0, GetClock().Now() + delay, next_timer_sequence_++, std::move(closure)});
  }
  Wake();
  return true;
}

void MessageQueue::PostQuit(int exit_code) {
  {
    const std::lock_guard lock(mutex_);
    quit_code_ = exit_code;
  }
  Wake();
}

LRESULT MessageQueue::SendFrom(const std::shared_ptr<MessageQueue>& sender, HWND hwnd, UINT message,
                               WPARAM wParam, LPARAM lParam) {
  auto sent = std::make_shared<SentMessage>();
  sent->message = Msg{hwnd, message, wParam, lParam, {}};
  sent->sender = sender;
  {
    const std::lock_guard lock(mutex_);
    if (closed_) {
      return 0;
    }
    sent_.push_back(sent);
  }
  Wake();
  // While blocked the sender still answers messages sent to it, so two threads that send
  // to each other cannot deadlock.
  while (!sent->done) {
    sender->HandleSentMessages();
    if (sent->done) {
      break;
    }
    GetClock().Wait(sender->wake_, std::nullopt);
  }
  return sent->result;
}

// Releases the sender however the handler ends: a thread that ends inside the handler (or an
// exception that leaves it) answers 0, as for a thread that is gone.
class MessageQueue::SentMessageRelease {
 public:
  explicit SentMessageRelease(SentMessage& sent) : sent_(sent) {}
  SentMessageRelease(const SentMessageRelease&) = delete;
  SentMessageRelease& operator=(const SentMessageRelease&) = delete;
  ~SentMessageRelease() { Complete(sent_, result); }

  LRESULT result = 0;

 private:
  SentMessage& sent_;
};

void MessageQueue::Complete(SentMessage& sent, LRESULT result) {
  sent.result = result;
  const std::shared_ptr<MessageQueue> sender = sent.sender;
  sent.done = true;
  sender->Wake();
}

void MessageQueue::HandleSentMessages() {
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      const std::lock_guard lock(mutex_);
      if (sent_.empty()) {
        return;
      }
      sent = sent_.front();
      sent_.pop_front();
    }
    SentMessageRelease release(*sent);
    const Msg& message = sent->message;
    release.result =
        DispatchToWindow(message.hwnd, message.message, message.wParam, message.lParam);
  }
}

std::optional<Msg> MessageQueue::TakeReadyLocked(int& quit_code, bool& quit) {
  if (!posted_.empty()) {
    Msg message = std::move(posted_.front());
    posted_.pop_front();
    return message;
  }
  if (quit_code_) {
    quit = true;
    quit_code = *quit_code_;
    quit_code_.reset();
    return std::nullopt;
  }
  // Timers only when no posted message waits; the earliest due first.
  const Millis now = GetClock().Now();
  auto due = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->due <= now && (due == timers_.end() || it->due < due->due ||
                           (it->due == due->due && it->sequence < due->sequence))) {
      due = it;
    }
  }
  if (due == timers_.end()) {
    return std::nullopt;
  }
  Msg message;
  if (due->closure) {
    message.closure = std::move(due->closure);
    timers_.erase(due);
  } else {
    message = Msg{due->hwnd, WM_TIMER, due->id, 0, {}};
    due->due = now + due->interval;
    due->sequence = next_timer_sequence_++;
  }
  return message;
}

Deadline MessageQueue::NextTimerDueLocked() const {
  Deadline earliest;
  for (const Timer& timer : timers_) {
    if (!earliest || timer.due < *earliest) {
      earliest = timer.due;
    }
  }
  return earliest;
}

bool MessageQueue::Get(Msg& out, int& quit_code) {
  for (;;) {
    HandleSentMessages();
    Deadline next_timer;
    {
      const std::lock_guard lock(mutex_);
      bool quit = false;
      if (auto message = TakeReadyLocked(quit_code, quit)) {
        out = std::move(*message);
        return true;
      }
      if (quit) {
        return false;
      }
      if (!sent_.empty()) {
        continue;
      }
      next_timer = NextTimerDueLocked();
    }
    GetClock().Wait(wake_, next_timer);
  }
}

void MessageQueue::WaitForActivity(Deadline deadline) {
  {
    const std::lock_guard lock(mutex_);
    if (!posted_.empty() || !sent_.empty() || quit_code_) {
      return;
    }
    const Deadline next_timer = NextTimerDueLocked();
    if (next_timer && (!deadline || *next_timer < *deadline)) {
      deadline = next_timer;
    }
  }
  GetClock().Wait(wake_, deadline);
}

void MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, Millis interval) {
  {
    const std::lock_guard lock(mutex_);
    const Millis due = GetClock().Now() + interval;
    auto existing = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& timer) {
      return !timer.closure && timer.hwnd == hwnd && timer.id == id;
    });
    if (existing != timers_.end()) {
      existing->interval = interval;
      existing->due = due;
      existing->sequence = next_timer_sequence_++;
    } else {
      timers_.push_back(Timer{hwnd, id, interval, due, next_timer_sequence_++, {}});
    }
  }
  Wake();
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
  const std::lock_guard lock(mutex_);
  const auto removed = std::erase_if(timers_, [&](const Timer& timer) {
    return !timer.closure && timer.hwnd == hwnd && timer.id == id;
  });
  return removed > 0;
}

void MessageQueue::KillTimersOf(HWND hwnd) {
  const std::lock_guard lock(mutex_);
  std::erase_if(timers_, [&](const Timer& timer) { return !timer.closure && timer.hwnd == hwnd; });
}

void MessageQueue::Close() {
  std::deque<std::shared_ptr<SentMessage>> waiting;
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    waiting.swap(sent_);
    posted_.clear();
    timers_.clear();
  }
  for (const auto& sent : waiting) {
    Complete(*sent, 0);
  }
}

bool MessageQueue::IsClosed() const {
  const std::lock_guard lock(mutex_);
  return closed_;
}

std::shared_ptr<MessageQueue> CreateRegisteredQueue() {
  QueueRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  auto queue = std::make_shared<MessageQueue>(registry.next_id++);
  registry.queues[queue->ThreadId()] = queue;
  return queue;
}

MessageQueue& CurrentQueue() { return *CurrentQueueShared(); }

std::shared_ptr<MessageQueue> CurrentQueueShared() {
  if (!t_queue) {
    t_queue = CreateRegisteredQueue();
  }
  return t_queue;
}

void BindCurrentQueue(std::shared_ptr<MessageQueue> queue) { t_queue = std::move(queue); }

std::shared_ptr<MessageQueue> FindQueue(DWORD thread_id) {
  QueueRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const auto found = registry.queues.find(thread_id);
  return found == registry.queues.end() ? nullptr : found->second.lock();
}

void UnregisterQueue(DWORD thread_id) {
  QueueRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  registry.queues.erase(thread_id);
}

}  // namespace platform
