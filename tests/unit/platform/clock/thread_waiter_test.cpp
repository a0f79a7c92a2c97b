// A thread that installs its own waiter blocks through it in every clock wait, and is woken
// through it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "tests/support/participant.h"

namespace {

// Blocks on a condition variable of its own and counts what it was asked to do.
class CountingWaiter final : public platform::ThreadWaiter {
 public:
  CountingWaiter() { platform::SetThreadWaiter(this); }
  ~CountingWaiter() override { platform::SetThreadWaiter(nullptr); }

  void Block(bool sleeping, std::optional<RealTime> until) override {
    std::unique_lock lock(mutex_);
    ++(sleeping ? sleeps_ : waits_);
    blocked_.notify_all();
    const auto woken = [this] { return woken_; };
    if (until) {
      woken_changed_.wait_until(lock, *until, woken);
    } else {
      woken_changed_.wait(lock, woken);
    }
    woken_ = false;
  }

  void Wake() override {
    {
      const std::lock_guard lock(mutex_);
      woken_ = true;
      ++wakes_;
    }
    woken_changed_.notify_one();
  }

  // For a helper thread: returns once the waiter's thread has blocked in a Sleep.
  void AwaitSleep() {
    std::unique_lock lock(mutex_);
    blocked_.wait(lock, [this] { return sleeps_ > 0; });
  }

  int Waits() const { return Read(waits_); }
  int Sleeps() const { return Read(sleeps_); }
  int Wakes() const { return Read(wakes_); }

 private:
  int Read(const int& counter) const {
    const std::lock_guard lock(mutex_);
    return counter;
  }

  mutable std::mutex mutex_;
  std::condition_variable woken_changed_;
  std::condition_variable blocked_;
  bool woken_ = false;
  int waits_ = 0;
  int sleeps_ = 0;
  int wakes_ = 0;
};

class ThreadWaiterTest : public ::testing::Test {
 protected:
  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  tessaly_test::ParticipantScope participant_;
};

// Waits in this thread's message loop until a closure that another participant posts after
// 50 ms of program time has run.
void RunUntilAnotherThreadPosts() {
  const platform::DWORD self = platform::GetCurrentThreadId();
  bool delivered = false;
  std::thread poster = tessaly_test::StartParticipant([self, &delivered] {
    platform::GetClock().Sleep(50);
    platform::PostClosure(self, [&delivered] { delivered = true; });
  });
  ASSERT_TRUE(platform::RunModalLoop([&delivered] { return delivered; }));
  poster.join();
}

TEST_F(ThreadWaiterTest, AQueueWaitBlocksInTheWaiterUntilAnotherThreadPosts) {
  CountingWaiter waiter;
  RunUntilAnotherThreadPosts();
  EXPECT_GE(waiter.Waits(), 1);
  EXPECT_GE(waiter.Wakes(), 1);
  EXPECT_EQ(waiter.Sleeps(), 0);
}

TEST_F(ThreadWaiterTest, SleepBlocksInTheWaiterAsASleepAndEndsWhenItsTimeHasCome) {
  CountingWaiter waiter;
  // Another participant holds virtual time until the sleeper blocks, so the Sleep has to wait.
  std::thread holder = tessaly_test::StartParticipant([&waiter] { waiter.AwaitSleep(); });
  const platform::Millis before = platform::GetClock().Now();
  platform::Sleep(25000);
  EXPECT_EQ(platform::GetClock().Now() - before, 25000);
  holder.join();
  EXPECT_EQ(waiter.Sleeps(), 1);
  EXPECT_EQ(waiter.Waits(), 0);
  EXPECT_GE(waiter.Wakes(), 1);
}

TEST_F(ThreadWaiterTest, AfterTheWaiterIsRemovedWaitsNoLongerReachIt) {
  CountingWaiter waiter;
  platform::SetThreadWaiter(nullptr);
  RunUntilAnotherThreadPosts();
  EXPECT_EQ(waiter.Waits(), 0);
  EXPECT_EQ(waiter.Wakes(), 0);
}

// A thread outside the program (no participant) whose sleep is the nearest deadline: once it is
// woken, time goes on to the program's own deadlines and the program becomes quiescent.
TEST(OutsiderWaitTest, AnOutsidersSleepDoesNotHoldUpTheProgramsDeadlines) {
  const platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
  CountingWaiter waiter;
  std::atomic<platform::Millis> woke_at = -1;
  std::thread program = tessaly_test::StartParticipant([&waiter, &woke_at] {
    waiter.AwaitSleep();
    platform::Sleep(200);
    woke_at = platform::GetClock().Now();
  });
  platform::Sleep(100);

  const bool quiescent = platform::GetClock().RunUntilQuiescent(std::chrono::seconds(20));
  EXPECT_TRUE(quiescent);
  if (!quiescent) {
    program.detach();  // stuck in its sleep for good
    return;
  }
  program.join();
  EXPECT_EQ(woke_at, 200);
}

}  // namespace
