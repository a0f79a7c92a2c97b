// Life of a platform thread: suspended start, InitInstance, the loop, ExitInstance, auto-delete.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/thread/win_thread.h"
#include "tests/support/participant.h"
#include "tests/unit/platform/thread/recorder.h"

namespace {

using platform::UINT;
using tessaly_test::ParticipantScope;
using tessaly_test::Recorder;
using ::testing::ElementsAre;

constexpr UINT kJob = platform::WM_USER + 69;
constexpr UINT kEnd = platform::WM_USER + 20;
constexpr UINT kQuitLoop = platform::WM_USER + 10;

// Records its life; thread messages: kJob logs wParam, kEnd ends the thread, kQuitLoop quits.
class LoggingThread : public platform::WinThread {
 public:
  LoggingThread(Recorder& recorder, bool init_result, std::shared_ptr<bool> deleted)
      : recorder_(recorder), init_result_(init_result), deleted_(std::move(deleted)) {}
  ~LoggingThread() override { *deleted_ = true; }

  platform::BOOL InitInstance() override {
    recorder_.Add("init");
    return init_result_ ? platform::TRUE : platform::FALSE;
  }
  int Run() override {
    recorder_.Add("run");
    return WinThread::Run();
  }
  int ExitInstance() override {
    recorder_.Add("exit");
    return 7;
  }
  void DispatchThreadMessage(const platform::Msg& message) override {
    if (message.message == kJob) {
      recorder_.Add("job " + std::to_string(message.wParam));
    } else if (message.message == kEnd) {
      platform::EndThread(0);
    } else if (message.message == kQuitLoop) {
      platform::PostQuitMessage(3);
    }
  }

 private:
  Recorder& recorder_;
  bool init_result_;
  std::shared_ptr<bool> deleted_;
};

class ThreadLifecycleTest : public ::testing::Test {
 protected:
  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  ParticipantScope participant_;
  Recorder recorder_;
  std::shared_ptr<bool> deleted_ = std::make_shared<bool>(false);
};

TEST_F(ThreadLifecycleTest, MessagesPostedWhileSuspendedRunInOrderAfterResume) {
  auto* thread = new LoggingThread(recorder_, true, deleted_);
  thread->CreateThread(platform::CREATE_SUSPENDED);
  const auto end = thread->End();
  for (platform::WPARAM job = 1; job <= 3; ++job) {
    EXPECT_EQ(thread->PostThreadMessage(kJob, job, 0), platform::TRUE);
  }
  platform::Sleep(10000);
  EXPECT_TRUE(recorder_.Entries().empty());

  EXPECT_EQ(thread->ResumeThread(), 1U);
  EXPECT_EQ(thread->ResumeThread(), 0U);  // later resumes change nothing
  platform::PostThreadMessage(thread->ThreadId(), kQuitLoop, 0, 0);
  ASSERT_TRUE(end->WaitFor(std::nullopt));

  EXPECT_THAT(recorder_.Entries(), ElementsAre("init", "run", "job 1", "job 2", "job 3", "exit"));
  EXPECT_EQ(end->ExitCode(), 7);
  EXPECT_TRUE(*deleted_);
}

TEST_F(ThreadLifecycleTest, InitInstanceFalseEndsTheThreadWithoutItsLoop) {
  auto* thread = new LoggingThread(recorder_, false, deleted_);
  thread->CreateThread(platform::CREATE_SUSPENDED);
  const auto end = thread->End();
  const platform::DWORD thread_id = thread->ThreadId();
  thread->PostThreadMessage(kJob, 1, 0);
  thread->ResumeThread();
  ASSERT_TRUE(end->WaitFor(std::nullopt));

  EXPECT_THAT(recorder_.Entries(), ElementsAre("init", "exit"));
  EXPECT_TRUE(*deleted_);
  // The queue went with the thread.
  EXPECT_EQ(platform::PostThreadMessage(thread_id, kJob, 0, 0), platform::FALSE);
}

TEST_F(ThreadLifecycleTest, EndThreadSkipsExitInstanceAndHonoursAutoDelete) {
  auto thread = std::make_unique<LoggingThread>(recorder_, true, deleted_);
  thread->m_bAutoDelete = platform::FALSE;
  thread->CreateThread();
  const auto end = thread->End();
  thread->PostThreadMessage(kJob, 9, 0);
  thread->PostThreadMessage(kEnd, 0, 0);
  thread->PostThreadMessage(kJob, 10, 0);
  ASSERT_TRUE(end->WaitFor(std::nullopt));

  EXPECT_THAT(recorder_.Entries(), ElementsAre("init", "run", "job 9"));
  EXPECT_EQ(end->ExitCode(), 0);
  EXPECT_FALSE(*deleted_);
  EXPECT_EQ(thread->PostThreadMessage(kJob, 11, 0), platform::FALSE);
}

TEST_F(ThreadLifecycleTest, WaitingForAThreadEndsAtTheDeadline) {
  auto* thread = new LoggingThread(recorder_, true, deleted_);
  thread->CreateThread(platform::CREATE_SUSPENDED);
  const auto end = thread->End();

  EXPECT_FALSE(end->WaitFor(platform::GetClock().Now() + 5000));
  EXPECT_EQ(platform::GetClock().Now(), 5000);
  thread->PostThreadMessage(kEnd, 0, 0);
  thread->ResumeThread();
  EXPECT_TRUE(end->WaitFor(std::nullopt));
}

// Per-thread state of a library that takes its time to go when its thread exits.
class SlowPerThreadState {
 public:
  void Track(std::atomic<bool>& gone) { gone_ = &gone; }
  ~SlowPerThreadState() {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (gone_ != nullptr) *gone_ = true;
  }

 private:
  std::atomic<bool>* gone_ = nullptr;
};

class ThreadWithPerThreadState : public platform::WinThread {
 public:
  explicit ThreadWithPerThreadState(std::atomic<bool>& gone) : gone_(gone) {}
  platform::BOOL InitInstance() override {
    thread_local SlowPerThreadState state;
    state.Track(gone_);
    return platform::FALSE;
  }

 private:
  std::atomic<bool>& gone_;
};

// The program's end waits for its worker; were the thread still clearing its per-thread state
// then, that would run into the process's own clean-up.
TEST_F(ThreadLifecycleTest, WaitingForTheEndWaitsTillThePerThreadStateIsGone) {
  std::atomic<bool> gone = false;
  auto* thread = new ThreadWithPerThreadState(gone);
  // The end is taken while the thread cannot have run yet: once resumed, it deletes itself.
  thread->CreateThread(platform::CREATE_SUSPENDED);
  const auto end = thread->End();
  thread->ResumeThread();
  ASSERT_TRUE(end->WaitFor(std::nullopt));
  EXPECT_TRUE(gone);
}

TEST_F(ThreadLifecycleTest, RunningOnAThreadThatTakesPartAlreadyKeepsItCountedOnce) {
  LoggingThread thread(recorder_, false, deleted_);
  EXPECT_EQ(thread.RunOnCurrentThread(), 7);
  ASSERT_TRUE(platform::Clock::IsParticipant());
  // Counted once: its own wait is all it takes for time to move.
  const platform::Millis before = platform::GetClock().Now();
  platform::Sleep(100);
  EXPECT_EQ(platform::GetClock().Now() - before, 100);
}

constexpr int kCannotRestrict = 3;
constexpr uid_t kNobody = 65534;

// Leaves this process no thread to start: an unprivileged user at its process limit.
bool RefuseNewThreads() {
  if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
    return false;
  }
  const rlimit none{0, 0};
  return setrlimit(RLIMIT_NPROC, &none) == 0;
}

TEST(ThreadCreationTest, AThreadTheSystemCannotStartIsRefusedAndLeavesNothingBehind) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
        if (!RefuseNewThreads()) {
          std::fputs("cannot restrict the creation of threads here\n", stderr);
          std::_Exit(kCannotRestrict);
        }
        platform::WinThread thread;
        thread.m_bAutoDelete = platform::FALSE;
        const bool refused = thread.CreateThread(platform::CREATE_SUSPENDED) == platform::FALSE;
        // Nothing counts a thread that never runs, and its queue takes nothing.
        const bool clean =
            platform::GetClock().IsQuiescent() &&
            thread.PostThreadMessage(kJob, 0, 0) == platform::FALSE &&
            platform::PostThreadMessage(thread.ThreadId(), kJob, 0, 0) == platform::FALSE;
        std::_Exit(refused && clean ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
