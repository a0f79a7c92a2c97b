#include "gui/qt/event_loop_waiter.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace gui {

namespace {

using Clock = std::chrono::steady_clock;

// How often the windows repaint while the thread sleeps.
constexpr std::chrono::milliseconds kPaintInterval{16};

}  // namespace

EventLoopWaiter::EventLoopWaiter()
    : dispatcher_(QAbstractEventDispatcher::instance(QThread::currentThread())) {
  deadline_.setSingleShot(true);
  deadline_.setTimerType(Qt::PreciseTimer);
  platform::SetThreadWaiter(this);
}

EventLoopWaiter::~EventLoopWaiter() { platform::SetThreadWaiter(nullptr); }

void EventLoopWaiter::Block(bool sleeping, std::optional<RealTime> until) {
  const RealTime start = Clock::now();
  // During a Sleep the thread handles nothing of its own: input waits in Qt's queue until the
  // program takes messages again; painting goes on.
  const QEventLoop::ProcessEventsFlags flags =
      sleeping ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
  for (;;) {
    if (woken_.load() || (until && Clock::now() >= *until)) {
      // What Qt has waiting still gets its turn, however short the wait.
      TakeEvents(flags);
      break;
    }
    if (sleeping) {
      TakeEvents(flags);
      RestBetweenPaints(until);
      rested_ = true;
      continue;
    }
    if (until) {
      ArmDeadline(*until);
    }
    TakeEvents(flags | QEventLoop::WaitForMoreEvents);
  }
  deadline_.stop();
  woken_ = false;
  if (sleeping) {
    time_asleep_ += Clock::now() - start;
  }
}

void EventLoopWaiter::TakeEvents(QEventLoop::ProcessEventsFlags flags) {
  const RealTime begin = Clock::now();
  if (last_events_) {
    const Duration stretch = begin - *last_events_;
    if (stretch > longest_stretch_) {
      longest_stretch_ = stretch;
      longest_stretch_start_ = *last_events_;
    }
    if (!rested_) {
      longest_program_stretch_ = std::max(longest_program_stretch_, stretch);
    }
  }
  QCoreApplication::processEvents(flags);
  last_events_ = Clock::now();
  rested_ = false;
}

void EventLoopWaiter::ArmDeadline(RealTime until) {
  // Rounded up: an expiry before the limit would only cost another turn of the loop.
  const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
  deadline_.start(static_cast<int>(
      std::clamp<std::int64_t>(remaining.count(), 0, std::numeric_limits<int>::max())));
}

void EventLoopWaiter::RestBetweenPaints(std::optional<RealTime> until) {
  RealTime rest_until = Clock::now() + kPaintInterval;
  if (until) {
    rest_until = std::min(rest_until, *until);
  }
  std::unique_lock lock(rest_mutex_);
  rest_.wait_until(lock, rest_until, [this] { return woken_.load(); });
}

void EventLoopWaiter::Wake() {
  {
    const std::lock_guard lock(rest_mutex_);
    woken_ = true;
  }
  rest_.notify_one();
  if (dispatcher_ != nullptr) {
    dispatcher_->wakeUp();
  }
}

}  // namespace gui
