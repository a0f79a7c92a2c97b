// Ordering rules of the message queues: the program's step sequencing depends on them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>

#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/thread/win_thread.h"
#include "tests/support/participant.h"
#include "tests/unit/platform/thread/recorder.h"

namespace {

using platform::GetClock;
using platform::UINT;
using tessaly_test::ParticipantScope;
using tessaly_test::Recorder;
using tessaly_test::RecordingWindow;
using ::testing::ElementsAre;

constexpr UINT kHold = platform::WM_USER + 1;
constexpr UINT kPosted1 = platform::WM_USER + 2;
constexpr UINT kPosted2 = platform::WM_USER + 3;
constexpr UINT kSent = platform::WM_USER + 4;
constexpr UINT kQuit = platform::WM_USER + 5;

std::string Entry(const char* window, UINT message) {
  return std::string(window) + ":" + std::to_string(message);
}

// A worker whose thread owns one recording window; the window's hook runs on the worker.
class WindowThread : public platform::WinThread {
 public:
  WindowThread(Recorder& recorder, RecordingWindow::Hook hook)
      : window_(recorder, "w", std::move(hook)) {}

  platform::BOOL InitInstance() override {
    hwnd_ = window_.CreateHandle();
    ready_ = true;
    return platform::TRUE;
  }
  int ExitInstance() override {
    window_.DestroyHandle();
    return WinThread::ExitInstance();
  }
  platform::HWND Hwnd() const { return hwnd_; }

 private:
  RecordingWindow window_;
  std::atomic<platform::HWND> hwnd_ = nullptr;
  std::atomic<bool> ready_ = false;
};

// Starts a worker with a window and waits (in program time) until its window exists.
std::unique_ptr<WindowThread> StartWindowThread(Recorder& recorder, RecordingWindow::Hook hook) {
  auto thread = std::make_unique<WindowThread>(recorder, std::move(hook));
  thread->m_bAutoDelete = platform::FALSE;
  thread->CreateThread();
  while (thread->Hwnd() == nullptr) {
    GetClock().Sleep(1);
  }
  return thread;
}

class MessageOrderTest : public ::testing::Test {
 protected:
  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
};

TEST_F(MessageOrderTest, SentMessageOvertakesPostedOnes) {
  ParticipantScope participant;
  Recorder recorder;
  auto worker = StartWindowThread(recorder, [](UINT message, platform::WPARAM, platform::LPARAM) {
    if (message == kHold) {
      platform::Sleep(1000);
    }
    if (message == kQuit) {
      platform::PostQuitMessage(0);
    }
    return platform::LRESULT{0};
  });
  const platform::HWND hwnd = worker->Hwnd();
  platform::PostMessage(hwnd, kHold, 0, 0);
  platform::Sleep(1);  // the worker is now inside its 1000 ms hold
  platform::PostMessage(hwnd, kPosted1, 0, 0);
  platform::PostMessage(hwnd, kPosted2, 0, 0);
  std::thread sender =
      tessaly_test::StartParticipant([hwnd] { platform::SendMessage(hwnd, kSent, 0, 0); });
  platform::PostMessage(hwnd, kQuit, 0, 0);
  worker->End()->WaitFor(std::nullopt);
  sender.join();

  EXPECT_THAT(recorder.Entries(),
              ElementsAre(Entry("w", kHold), Entry("w", kSent), Entry("w", kPosted1),
                          Entry("w", kPosted2), Entry("w", kQuit)));
}

TEST_F(MessageOrderTest, TimerWaitsBehindPostedMessagesAndRepeatsUntilKilled) {
  ParticipantScope participant;
  Recorder recorder;
  int ticks = 0;
  RecordingWindow window(recorder, "w", [&](UINT message, platform::WPARAM id, platform::LPARAM) {
    if (message == platform::WM_TIMER && ++ticks == 3) {
      platform::KillTimer(nullptr, 0);  // a stale handle must not disturb anything
      window.KillTimer(id);
    }
    return platform::LRESULT{0};
  });
  window.CreateHandle();
  window.SetTimer(7, 10);
  window.PostMessage(kPosted1);
  platform::Sleep(50);  // the timer is overdue, a posted message waits
  window.PostMessage(kPosted2);

  platform::RunModalLoop([&] { return ticks == 3; });
  const auto times = recorder.Times();

  EXPECT_THAT(
      recorder.Entries(),
      ElementsAre(Entry("w", kPosted1), Entry("w", kPosted2), Entry("w", platform::WM_TIMER),
                  Entry("w", platform::WM_TIMER), Entry("w", platform::WM_TIMER)));
  EXPECT_EQ(times[2], 50);
  EXPECT_EQ(times[3], 60);
  EXPECT_EQ(times[4], 70);
  // Killed: another 100 ms bring no further tick.
  window.SetTimer(8, 100);
  platform::RunModalLoop([&] { return recorder.Entries().size() == 6; });
  EXPECT_EQ(recorder.Times().back(), 170);
}

TEST_F(MessageOrderTest, CrossThreadSendBlocksUntilHandledAndReturnsTheResult) {
  ParticipantScope participant;
  Recorder recorder;
  auto worker = StartWindowThread(
      recorder, [](UINT message, platform::WPARAM wParam, platform::LPARAM) -> platform::LRESULT {
        if (message == kQuit) {
          platform::PostQuitMessage(0);
          return 0;
        }
        platform::Sleep(500);
        return static_cast<platform::LRESULT>(wParam * 2);
      });
  const platform::Millis before = GetClock().Now();
  const platform::LRESULT result = platform::SendMessage(worker->Hwnd(), kSent, 21, 0);

  EXPECT_EQ(result, 42);
  EXPECT_EQ(GetClock().Now() - before, 500);
  platform::PostMessage(worker->Hwnd(), kQuit, 0, 0);
  worker->End()->WaitFor(std::nullopt);
  // The window is gone with its thread: a send returns 0 at once.
  EXPECT_EQ(platform::SendMessage(worker->Hwnd(), kSent, 21, 0), 0);
  EXPECT_EQ(platform::PostMessage(worker->Hwnd(), kSent, 21, 0), platform::FALSE);
}

TEST_F(MessageOrderTest, ThreadsSendingToEachOtherDoNotDeadlock) {
  ParticipantScope participant;
  Recorder recorder;
  RecordingWindow local(recorder, "gui", [](UINT, platform::WPARAM, platform::LPARAM) {
    return platform::LRESULT{5};
  });
  const platform::HWND gui = local.CreateHandle();
  auto worker = StartWindowThread(
      recorder, [gui](UINT message, platform::WPARAM, platform::LPARAM) -> platform::LRESULT {
        if (message == kQuit) {
          platform::PostQuitMessage(0);
          return 0;
        }
        // The gui thread is blocked in its own send to us; it must still answer this one.
        return platform::SendMessage(gui, kPosted1, 0, 0) + 1;
      });

  EXPECT_EQ(platform::SendMessage(worker->Hwnd(), kSent, 0, 0), 6);
  EXPECT_THAT(recorder.Entries(), ElementsAre(Entry("w", kSent), Entry("gui", kPosted1)));
  platform::PostMessage(worker->Hwnd(), kQuit, 0, 0);
  worker->End()->WaitFor(std::nullopt);
}

TEST_F(MessageOrderTest, ModalLoopInsideAHandlerDispatchesPostedMessagesAndTimers) {
  ParticipantScope participant;
  Recorder recorder;
  bool inner_done = false;
  RecordingWindow window(recorder, "w", [&](UINT message, platform::WPARAM, platform::LPARAM) {
    if (message == kHold) {
      window.PostMessage(kPosted1);
      window.SetTimer(1, 200);
      platform::RunModalLoop([&] { return inner_done; });
      recorder.Add("modal loop ended");
    } else if (message == platform::WM_TIMER) {
      window.KillTimer(1);
      inner_done = true;
    }
    return platform::LRESULT{0};
  });
  window.CreateHandle();
  window.PostMessage(kHold);
  window.PostMessage(kPosted2);
  bool all_done = false;
  RecordingWindow closer(recorder, "c", [&](UINT, platform::WPARAM, platform::LPARAM) {
    all_done = true;
    return platform::LRESULT{0};
  });
  closer.CreateHandle();
  closer.PostMessage(kQuit);

  platform::RunModalLoop([&] { return all_done; });

  EXPECT_THAT(recorder.Entries(), ElementsAre(Entry("w", kHold), Entry("w", kPosted2),
                                              Entry("c", kQuit), Entry("w", kPosted1),
                                              Entry("w", platform::WM_TIMER), "modal loop ended"));
}

TEST_F(MessageOrderTest, SleepHandlesNothingMeanwhile) {
  ParticipantScope participant;
  Recorder recorder;
  auto worker = StartWindowThread(recorder, [&](UINT message, platform::WPARAM, platform::LPARAM) {
    if (message == kHold) {
      platform::Sleep(1000);
      recorder.Add("slept");
    }
    if (message == kQuit) {
      platform::PostQuitMessage(0);
    }
    return platform::LRESULT{0};
  });
  platform::PostMessage(worker->Hwnd(), kHold, 0, 0);
  platform::Sleep(10);
  platform::PostMessage(worker->Hwnd(), kPosted1, 0, 0);
  EXPECT_EQ(platform::SendMessage(worker->Hwnd(), kSent, 0, 0), 0);
  platform::PostMessage(worker->Hwnd(), kQuit, 0, 0);
  worker->End()->WaitFor(std::nullopt);

  EXPECT_THAT(recorder.Entries(), ElementsAre(Entry("w", kHold), "slept", Entry("w", kSent),
                                              Entry("w", kPosted1), Entry("w", kQuit)));
  EXPECT_EQ(recorder.Times()[2] - recorder.Times()[0], 1000);
}

TEST_F(MessageOrderTest, AThreadThatEndsInsideASentMessageReleasesItsSenderWithZero) {
  ParticipantScope participant;
  Recorder recorder;
  auto worker = StartWindowThread(recorder, [](UINT message, platform::WPARAM, platform::LPARAM) {
    if (message == kSent) {
      platform::EndThread(5);
    }
    return platform::LRESULT{1};
  });
  const platform::HWND hwnd = worker->Hwnd();
  std::atomic<platform::LRESULT> result = -1;
  std::atomic<bool> returned = false;
  std::thread sender = tessaly_test::StartParticipant([&, hwnd] {
    result = platform::SendMessage(hwnd, kSent, 0, 0);
    returned = true;
  });
  ASSERT_TRUE(worker->End()->WaitFor(std::nullopt));
  platform::Sleep(1000);  // time moves only once the sender waits again or has ended

  EXPECT_TRUE(returned);
  if (!returned) {
    sender.detach();  // left waiting for good
    return;
  }
  sender.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(worker->End()->ExitCode(), 5);
}

}  // namespace
