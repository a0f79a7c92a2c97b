// Cost of the message primitives between two threads, on the real clock.

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <optional>

#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/thread/win_thread.h"
#include "platform/thread/window.h"

namespace {

constexpr platform::UINT kPing = platform::WM_USER + 1;
constexpr platform::UINT kQuit = platform::WM_USER + 2;

class CountingWindow : public platform::Window {
 public:
  platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                               platform::LPARAM /*lParam*/) override {
    if (message == kQuit) {
      platform::PostQuitMessage(0);
      return 0;
    }
    handled.fetch_add(1, std::memory_order_relaxed);
    return static_cast<platform::LRESULT>(wParam) + 1;
  }
  std::atomic<long> handled = 0;
};

// A receiver thread with one window.
class Receiver : public platform::WinThread {
 public:
  platform::BOOL InitInstance() override {
    hwnd = window.CreateHandle();
    return platform::TRUE;
  }
  int ExitInstance() override {
    window.DestroyHandle();
    return 0;
  }
  CountingWindow window;
  std::atomic<platform::HWND> hwnd = nullptr;
};

std::unique_ptr<Receiver> StartReceiver() {
  auto receiver = std::make_unique<Receiver>();
  receiver->m_bAutoDelete = platform::FALSE;
  receiver->CreateThread();
  while (receiver->hwnd == nullptr) {
    platform::Sleep(1);
  }
  return receiver;
}

void StopReceiver(Receiver& receiver) {
  platform::PostMessage(receiver.hwnd, kQuit, 0, 0);
  receiver.End()->WaitFor(std::nullopt);
}

void BM_CrossThreadSendRoundTrip(benchmark::State& state) {
  auto receiver = StartReceiver();
  platform::WPARAM value = 0;
  for (auto _ : state) {
    value = static_cast<platform::WPARAM>(platform::SendMessage(receiver->hwnd, kPing, value, 0));
  }
  benchmark::DoNotOptimize(value);
  StopReceiver(*receiver);
}
BENCHMARK(BM_CrossThreadSendRoundTrip)->UseRealTime();

void BM_PostMessageThroughput(benchmark::State& state) {
  auto receiver = StartReceiver();
  long posted = 0;
  for (auto _ : state) {
    platform::PostMessage(receiver->hwnd, kPing, 0, 0);
    ++posted;
  }
  // Counted until the receiver has handled all of them.
  while (receiver->window.handled.load() < posted) {
    platform::Sleep(0);
  }
  state.SetItemsProcessed(posted);
  StopReceiver(*receiver);
}
BENCHMARK(BM_PostMessageThroughput)->UseRealTime();

}  // namespace
