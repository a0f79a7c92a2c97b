#pragma once

// The GUI thread's clock waits run Qt's event loop, so the windows repaint and collect input
// while the program waits for its next message. Qt events never run program code: widgets only
// post to the dialog's queue, and the platform loop stays the one authority on order.

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/clock/clock.h"

class QAbstractEventDispatcher;

namespace gui {

class EventLoopWaiter final : public platform::ThreadWaiter {
 public:
  using Duration = std::chrono::steady_clock::duration;

  // Made and installed on the thread that runs Qt's event loop.
  EventLoopWaiter();
  ~EventLoopWaiter() override;

  void Block(bool sleeping, std::optional<RealTime> until) override;
  void Wake() override;

  // The longest time the thread went without taking Qt events: the program's work between two
  // waits, or a rest between two paints of a Sleep. `LongestStretchStart` tells when it began.
  Duration LongestStretchWithoutEvents() const { return longest_stretch_; }
  RealTime LongestStretchStart() const { return longest_stretch_start_; }
  // The longest of those stretches that was the program's work, not a rest between paints.
  Duration LongestProgramStretch() const { return longest_program_stretch_; }
  // Time spent in Sleep, pumping only paint and other non-input events.
  Duration TimeAsleep() const { return time_asleep_; }

 private:
  // One turn of Qt's event loop; the time since the previous turn ended is measured.
  void TakeEvents(QEventLoop::ProcessEventsFlags flags);
  void ArmDeadline(RealTime until);
  // During a Sleep input stays queued, and a queue with input in it would make Qt's own wait
  // return at once: so paint, then rest a frame's time (or until woken), then paint again.
  void RestBetweenPaints(std::optional<RealTime> until);

  QAbstractEventDispatcher* dispatcher_;
  QTimer deadline_;  // its expiry ends a wait for events at the wait's limit
  std::atomic<bool> woken_ = false;
  std::mutex rest_mutex_;
  std::condition_variable rest_;
  std::optional<RealTime> last_events_;  // when the last turn of Qt's event loop ended
  bool rested_ = false;                  // since then the thread rested between paints
  Duration longest_stretch_{};
  RealTime longest_stretch_start_{};
  Duration longest_program_stretch_{};
  Duration time_asleep_{};
};

}  // namespace gui
