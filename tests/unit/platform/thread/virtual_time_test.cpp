// A worker and a window thread exchanging jobs and replies with the program's long waits:
// under the virtual clock it takes exactly the sum of the waits, the same way every time.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
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
using tessaly_test::Recorder;

constexpr UINT kRunJob = platform::WM_USER + 69;
constexpr UINT kEndWorker = platform::WM_USER + 20;
constexpr UINT kReply = platform::WM_USER + 34;
constexpr platform::UINT_PTR kStepTimer = 112;

constexpr platform::Millis kFirstJobWait = 110000;
constexpr platform::Millis kWaitAfterReply = 25000;
constexpr platform::Millis kSecondJobWait = 20000;
constexpr platform::Millis kTimerStep = 20000;
constexpr int kTimerSteps = 3;

class Worker : public platform::WinThread {
 public:
  Worker(Recorder& recorder, platform::HWND main_window) : recorder_(recorder) {
    m_pMainWnd = main_window;
  }
  platform::BOOL InitInstance() override { return platform::TRUE; }
  void DispatchThreadMessage(const platform::Msg& message) override {
    if (message.message == kEndWorker) {
      platform::EndThread(0);
    }
    if (message.message == kRunJob) {
      recorder_.Add("job " + std::to_string(message.wParam));
      platform::Sleep(
          static_cast<platform::DWORD>(message.wParam == 1 ? kFirstJobWait : kSecondJobWait));
      platform::SendMessage(m_pMainWnd, kReply, message.wParam, 0);
    }
  }

 private:
  Recorder& recorder_;
};

class MainWindow : public platform::Window {
 public:
  explicit MainWindow(Recorder& recorder) : recorder_(recorder) {}
  void Start() {
    worker_ = new Worker(recorder_, CreateHandle());
    worker_->CreateThread(platform::CREATE_SUSPENDED);
    worker_end_ = worker_->End();
    worker_->PostThreadMessage(kRunJob, 1, 0);
    worker_->ResumeThread();
  }
  bool Done() const { return done_; }
  std::shared_ptr<platform::ThreadEnd> WorkerEnd() const { return worker_end_; }

  platform::LRESULT WindowProc(UINT message, platform::WPARAM wParam,
                               platform::LPARAM /*lParam*/) override {
    if (message == kReply) {
      recorder_.Add("reply " + std::to_string(wParam));
      if (wParam == 1) {
        platform::Sleep(static_cast<platform::DWORD>(kWaitAfterReply));
        worker_->PostThreadMessage(kRunJob, 2, 0);
      } else {
        SetTimer(kStepTimer, static_cast<UINT>(kTimerStep));
      }
    } else if (message == platform::WM_TIMER) {
      KillTimer(kStepTimer);
      recorder_.Add("step " + std::to_string(++steps_));
      if (steps_ < kTimerSteps) {
        SetTimer(kStepTimer, static_cast<UINT>(kTimerStep));
      } else {
        worker_->PostThreadMessage(kEndWorker, 0, 0);
        done_ = true;
      }
    }
    return 0;
  }

 private:
  Recorder& recorder_;
  Worker* worker_ = nullptr;  // deletes itself when its thread ends
  std::shared_ptr<platform::ThreadEnd> worker_end_;
  int steps_ = 0;
  bool done_ = false;
};

struct ExchangeRun {
  std::vector<std::string> entries;
  std::vector<platform::Millis> times;
  platform::Millis end_time = 0;
};

ExchangeRun RunExchange() {
  const platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
  const tessaly_test::ParticipantScope participant;
  Recorder recorder;
  MainWindow window(recorder);
  window.Start();
  platform::RunModalLoop([&] { return window.Done(); });
  window.WorkerEnd()->WaitFor(std::nullopt);
  return ExchangeRun{recorder.Entries(), recorder.Times(), platform::GetClock().Now()};
}

TEST(VirtualTimeTest, ExchangeTakesTheSumOfItsWaitsAndRepeatsExactly) {
  const auto wall_start = std::chrono::steady_clock::now();
  const ExchangeRun first = RunExchange();

  EXPECT_EQ(first.end_time,
            kFirstJobWait + kWaitAfterReply + kSecondJobWait + kTimerSteps * kTimerStep);
  EXPECT_EQ(first.entries, (std::vector<std::string>{"job 1", "reply 1", "job 2", "reply 2",
                                                     "step 1", "step 2", "step 3"}));
  EXPECT_EQ(first.times,
            (std::vector<platform::Millis>{0, 110000, 135000, 155000, 175000, 195000, 215000}));
  for (int repeat = 1; repeat < 20; ++repeat) {
    const ExchangeRun again = RunExchange();
    EXPECT_EQ(again.entries, first.entries);
    EXPECT_EQ(again.times, first.times);
  }
  const auto wall = std::chrono::steady_clock::now() - wall_start;
  std::printf("20 runs of 215 s of program time took %.1f ms of wall time\n",
              std::chrono::duration<double, std::milli>(wall).count());
}

// Threads whose waits end at the same moment take turns in the order they began to wait: the
// first runs until it waits again (here: ends), however slow it is, before the next one wakes.
TEST(VirtualTimeTest, ThreadsDueAtTheSameMomentRunInTheOrderTheyBeganToWait) {
  const platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
  const tessaly_test::ParticipantScope participant;
  constexpr int kRounds = 50;
  constexpr int kSlowSteps = 2000;
  for (int round = 0; round < kRounds; ++round) {
    Recorder recorder;
    std::thread early = tessaly_test::StartParticipant([&recorder] {
      platform::Sleep(100);
      for (int step = 0; step < kSlowSteps; ++step) {
        std::this_thread::yield();
      }
      recorder.Add("early");
    });
    platform::Sleep(10);  // time moved, so the early thread is asleep
    std::thread late = tessaly_test::StartParticipant([&recorder] {
      platform::Sleep(90);
      recorder.Add("late");
    });
    platform::Sleep(200);
    early.join();
    late.join();
    ASSERT_EQ(recorder.Entries(), (std::vector<std::string>{"early", "late"})) << "round " << round;
    const auto times = recorder.Times();
    EXPECT_EQ(times[0], times[1]);
  }
}

}  // namespace
