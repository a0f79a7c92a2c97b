#include "platform/clock/clock.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform {

namespace {

thread_local bool t_participant = false;
thread_local ThreadWaiter* t_waiter = nullptr;

std::shared_ptr<Clock>& ProcessClock() {
  static std::shared_ptr<Clock> clock = std::make_shared<RealClock>();
  return clock;
}

}  // namespace

Millis Clock::Now() const {
  const std::lock_guard lock(mutex_);
  return NowLocked();
}

void SetThreadWaiter(ThreadWaiter* waiter) { t_waiter = waiter; }

bool Clock::Wait(WaitPoint& point, Deadline deadline) {
  return WaitImpl(point, deadline, false, false);
}

bool Clock::WaitForQuiescence(WaitPoint& point, Deadline deadline) {
  return WaitImpl(point, deadline, true, false);
}

bool Clock::WaitImpl(WaitPoint& point, Deadline deadline, bool wants_quiescence, bool sleeping) {
  std::unique_lock lock(mutex_);
  if (point.signaled_) {
    point.signaled_ = false;
    return true;
  }
  if (deadline && *deadline <= NowLocked()) {
    return false;
  }
  point.blocked_ = true;
  point.counted_ = t_participant;
  point.wants_quiescence_ = wants_quiescence;
  point.waiter_ = t_waiter;
  point.sleeping_ = sleeping;
  point.deadline_ = deadline;
  blocked_.push_back(&point);
  if (point.counted_) {
    ++blocked_participants_;
  }
  CheckAllBlockedLocked();
  BlockLocked(lock, point);
  if (point.blocked_) {
    UnblockLocked(point);
  }
  if (!point.counted_ && point.deadline_) {
    // Nobody else looks again once a deadline of a thread outside the program is gone: the
    // participants may now be quiescent, or due for the next jump.
    CheckAllBlockedLocked();
  }
  point.waiter_ = nullptr;
  const bool notified = point.signaled_;
  point.signaled_ = false;
  return notified;
}

void Clock::Notify(WaitPoint& point) {
  const std::lock_guard lock(mutex_);
  point.signaled_ = true;
  if (point.blocked_) {
    UnblockLocked(point);
  }
  WakeLocked(point);
}

void Clock::Sleep(Millis duration) {
  WaitPoint point;
  std::unique_lock lock(mutex_);
  const Millis until = NowLocked() + std::max<Millis>(duration, 0);
  lock.unlock();
  while (WaitImpl(point, until, false, true)) {
  }
}

void Clock::Join() {
  const std::lock_guard lock(mutex_);
  ++participants_;
}

void Clock::Leave() {
  t_participant = false;
  CancelJoin();
}

void Clock::CancelJoin() {
  const std::lock_guard lock(mutex_);
  --participants_;
  CheckAllBlockedLocked();
}

void Clock::AdoptParticipation() { t_participant = true; }

bool Clock::IsParticipant() { return t_participant; }

bool Clock::IsQuiescent() const {
  const std::lock_guard lock(mutex_);
  return IsQuiescentLocked();
}

bool Clock::IsQuiescentLocked() const {
  return blocked_participants_ >= participants_ &&
         std::none_of(blocked_.begin(), blocked_.end(),
                      [](const WaitPoint* point) { return point->deadline_.has_value(); });
}

bool Clock::RunUntilQuiescent(std::chrono::milliseconds real_limit) {
  std::unique_lock lock(mutex_);
  return quiescent_.wait_for(lock, real_limit, [this] { return IsQuiescentLocked(); });
}

void Clock::UnblockLocked(WaitPoint& point) {
  point.blocked_ = false;
  if (point.counted_) {
    --blocked_participants_;
  }
  blocked_.erase(std::find(blocked_.begin(), blocked_.end(), &point));
}

bool Clock::DeadlinePassedLocked(const WaitPoint& point) const {
  return point.deadline_ && *point.deadline_ <= NowLocked();
}

void Clock::ReleaseDueLocked(Millis now) {
  for (;;) {
    // The earliest deadline first; among equal ones the waiter that began first, as blocked_
    // keeps the order in which the waits began.
    WaitPoint* next = nullptr;
    for (WaitPoint* point : blocked_) {
      if (point->deadline_ && *point->deadline_ <= now &&
          (next == nullptr || *point->deadline_ < *next->deadline_)) {
        next = point;
      }
    }
    if (next == nullptr) {
      return;
    }
    const bool participant = next->counted_;
    UnblockLocked(*next);
    WakeLocked(*next);
    if (participant) {
      return;
    }
  }
}

std::cv_status Clock::BlockOnceLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point,
                                      std::optional<ThreadWaiter::RealTime> until) {
  ThreadWaiter* const waiter = point.waiter_;
  if (waiter == nullptr) {
    if (until) {
      return point.cv_.wait_until(lock, *until);
    }
    point.cv_.wait(lock);
    return std::cv_status::no_timeout;
  }
  const bool sleeping = point.sleeping_;
  lock.unlock();
  waiter->Block(sleeping, until);
  lock.lock();
  return until && std::chrono::steady_clock::now() >= *until ? std::cv_status::timeout
                                                             : std::cv_status::no_timeout;
}

void Clock::WakeLocked(WaitPoint& point) {
  point.cv_.notify_one();
  if (point.waiter_ != nullptr) {
    point.waiter_->Wake();
  }
}

void Clock::CheckAllBlockedLocked() {
  if (blocked_participants_ < participants_) {
    return;
  }
  Deadline earliest;
  for (const WaitPoint* point : blocked_) {
    if (point->deadline_ && (!earliest || *point->deadline_ < *earliest)) {
      earliest = point->deadline_;
    }
  }
  if (earliest) {
    OnAllBlockedLocked(earliest);
    return;
  }
  // Quiescent: wake those who wait for exactly that.
  std::vector<WaitPoint*> watchers;
  for (WaitPoint* point : blocked_) {
    if (point->wants_quiescence_) {
      watchers.push_back(point);
    }
  }
  for (WaitPoint* point : watchers) {
    UnblockLocked(*point);
    WakeLocked(*point);
  }
  quiescent_.notify_all();
}

RealClock::RealClock(double factor) : start_(std::chrono::steady_clock::now()), factor_(factor) {}

Millis RealClock::NowLocked() const {
  const auto elapsed =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_);
  return static_cast<Millis>(elapsed.count() / factor_);
}

std::chrono::steady_clock::time_point RealClock::RealTimeOf(Millis program_time) const {
  const auto real =
      std::chrono::duration<double, std::milli>(static_cast<double>(program_time) * factor_);
  return start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(real);
}

void RealClock::BlockLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point) {
  while (point.blocked_) {
    if (point.deadline_) {
      if (BlockOnceLocked(lock, point, RealTimeOf(*point.deadline_)) == std::cv_status::timeout &&
          point.blocked_ && DeadlinePassedLocked(point)) {
        return;
      }
    } else {
      BlockOnceLocked(lock, point, std::nullopt);
    }
  }
}

void RealClock::OnAllBlockedLocked(Deadline /*earliest*/) {
  // Wall time moves by itself; the earliest waiter wakes when its time comes.
}

void VirtualClock::BlockLocked(std::unique_lock<std::mutex>& lock, WaitPoint& point) {
  while (point.blocked_) {
    BlockOnceLocked(lock, point, std::nullopt);
  }
}

void VirtualClock::OnAllBlockedLocked(Deadline earliest) {
  now_ = std::max(now_, *earliest);
  ReleaseDueLocked(now_);
}

std::unique_ptr<Clock> MakeClock(std::string_view description) {
  if (description == "real") {
    return std::make_unique<RealClock>();
  }
  if (description == "virtual") {
    return std::make_unique<VirtualClock>();
  }
  constexpr std::string_view kScaledPrefix = "real:";
  if (description.substr(0, kScaledPrefix.size()) == kScaledPrefix) {
    const std::string factor_text(description.substr(kScaledPrefix.size()));
    char* end = nullptr;
    const double factor = std::strtod(factor_text.c_str(), &end);
    if (end != factor_text.c_str() && *end == '\0' && factor > 0.0) {
      return std::make_unique<RealClock>(factor);
    }
  }
  return nullptr;
}

Clock& GetClock() { return *ProcessClock(); }

std::shared_ptr<Clock> ShareClock() { return ProcessClock(); }

void InstallClock(std::unique_ptr<Clock> clock) { ProcessClock() = std::move(clock); }

bool InstallClockFromEnvironment() {
  const char* value = std::getenv("TESSALY_CLOCK");
  auto clock = MakeClock(value != nullptr ? value : "real");
  if (!clock) {
    return false;
  }
  InstallClock(std::move(clock));
  return true;
}

ScopedClock::ScopedClock(std::unique_ptr<Clock> clock) : previous_(std::move(ProcessClock())) {
  ProcessClock() = std::move(clock);
}

ScopedClock::~ScopedClock() { ProcessClock() = std::move(previous_); }

}  // namespace platform
