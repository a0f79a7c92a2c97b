#pragma once

// Every wait of the program goes through the process clock, so that a virtual clock can
// see when all threads are blocked and jump to the next deadline.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

using Millis = std::int64_t;             // program time in milliseconds since the clock started
using Deadline = std::optional<Millis>;  // absent: wait without a time limit

// How a thread blocks in a clock wait when something else must keep running on it meanwhile (a
// view's event loop on the GUI thread). Installed per thread; without one, a wait blocks on a
// condition variable.
class ThreadWaiter {
 public:
  using RealTime = std::chrono::steady_clock::time_point;

  ThreadWaiter() = default;
  ThreadWaiter(const ThreadWaiter&) = delete;
  ThreadWaiter& operator=(const ThreadWaiter&) = delete;
  virtual ~ThreadWaiter() = default;

  // Blocks until Wake() or until `until` (none: no limit); may return earlier. `sleeping`: the
  // wait is a Sleep, during which the thread must handle nothing of its own.
  virtual void Block(bool sleeping, std::optional<RealTime> until) = 0;
  // Any thread, also under the clock's lock: the current Block returns, or the next one at once.
  virtual void Wake() = 0;
};

// Makes `waiter` block the calling thread's clock waits (null: the condition variable again).
// The waiter must stay alive while it is installed.
void SetThreadWaiter(ThreadWaiter* waiter);

// The spot one thread blocks on. Other threads wake it through Clock::Notify; a notice
// given while nobody waits is kept, so the next wait returns at once.
class WaitPoint {
 public:
  WaitPoint() = default;
  WaitPoint(const WaitPoint&) = delete;
  WaitPoint& operator=(const WaitPoint&) = delete;
  ~WaitPoint() = default;

 private:
  friend class Clock;
  friend class RealClock;
  friend class VirtualClock;
  std::condition_variable cv_;
  // All below are guarded by the clock's mutex.
  ThreadWaiter* waiter_ = nullptr;  // the blocked thread's own waiter, if it has one
  bool sleeping_ = false;
  bool signaled_ = false;
  bool blocked_ = false;
  bool counted_ = false;  // the waiter is a participant of the clock
  bool wants_quiescence_ = false;
  Deadline deadline_;
};

class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  Millis Now() const;

  // Blocks until `point` is notified or the deadline has come. True when notified.
  bool Wait(WaitPoint& point, Deadline deadline);
  // Like Wait, and also returns once every participant waits without a deadline.
  bool WaitForQuiescence(WaitPoint& point, Deadline deadline);
  void Notify(WaitPoint& point);
  void Sleep(Millis duration);

  // Threads that take part in the program register, so the clock knows when all of them wait.
  // Join may be called by the creator of a thread on its behalf, before the thread runs.
  void Join();
  void Leave();
  // Takes back a Join made on behalf of a thread that never came to run.
  void CancelJoin();
  // Marks the calling thread as a participant whose Join has already been counted.
  static void AdoptParticipation();
  static bool IsParticipant();

  // True while every participant waits and none has a deadline.
  bool IsQuiescent() const;
  // Runs the program until it is quiescent (for tests and the automation driver, which do not
  // take part themselves). False when `real_limit` of wall time passed first.
  bool RunUntilQuiescent(std::chrono::milliseconds real_limit = std::chrono::seconds(60));

 protected:
  virtual Millis NowLocked() const = 0;
  // Blocks on the point's condition variable until it is signalled or its deadline is due.
  virtual void BlockLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point) = 0;
  // Called when every participant waits; `earliest` is the nearest deadline of any waiter.
  virtual void OnAllBlockedLocked(Deadline earliest) = 0;
  // Wakes the blocked waiters whose deadline is at or before `now`, earliest deadline first and
  // then in the order they began to wait, up to and including the first participant. The next
  // participant is woken when that one waits again, so threads due at the same moment take
  // their turns in a fixed order.
  void ReleaseDueLocked(Millis now);
  // One blocking step of a waiter: until notified, until `until` (real time) or spuriously.
  static std::cv_status BlockOnceLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point,
                                        std::optional<ThreadWaiter::RealTime> until);
  bool DeadlinePassedLocked(const WaitPoint& point) const;

 private:
  bool WaitImpl(WaitPoint& point, Deadline deadline, bool wants_quiescence, bool sleeping);
  void UnblockLocked(WaitPoint& point);
  void WakeLocked(WaitPoint& point);
  void CheckAllBlockedLocked();
  bool IsQuiescentLocked() const;

  mutable std::mutex mutex_;
  int participants_ = 0;
  int blocked_participants_ = 0;
  std::vector<WaitPoint*> blocked_;  // in the order they began to wait
  std::condition_variable quiescent_;
  friend class RealClock;
  friend class VirtualClock;
};

// Steady wall time, optionally scaled: with factor 0.01 every wait lasts a hundredth.
class RealClock final : public Clock {
 public:
  explicit RealClock(double factor = 1.0);

 private:
  Millis NowLocked() const override;
  void BlockLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point) override;
  void OnAllBlockedLocked(Deadline earliest) override;
  std::chrono::steady_clock::time_point RealTimeOf(Millis program_time) const;

  std::chrono::steady_clock::time_point start_;
  double factor_;
};

// Time that moves only when every participant waits: it then jumps to the earliest deadline.
class VirtualClock final : public Clock {
 private:
  Millis NowLocked() const override { return now_; }
  void BlockLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point) override;
  void OnAllBlockedLocked(Deadline earliest) override;

  Millis now_ = 0;
};

// "real", "real:<factor>" or "virtual"; nullptr for anything else.
std::unique_ptr<Clock> MakeClock(std::string_view description);

// The process clock. Until one is installed, a RealClock is used.
Clock& GetClock();
// The process clock, kept alive for a thread that must leave it after it was replaced.
std::shared_ptr<Clock> ShareClock();
// Installs the process clock; only while no thread of the program runs.
void InstallClock(std::unique_ptr<Clock> clock);
// Installs the clock named by TESSALY_CLOCK (default real). False for an unknown value.
bool InstallClockFromEnvironment();

// Installs a clock for the lifetime of the guard, then puts the previous one back.
class ScopedClock {
 public:
  explicit ScopedClock(std::unique_ptr<Clock> clock);
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
  ~ScopedClock();

 private:
  std::shared_ptr<Clock> previous_;
};

}  // namespace platform
