#include "platform/thread/window.h"

#include <mutex>
#include <unordered_map>

#include "platform/thread/message_queue.h"

namespace platform {

namespace {

struct WindowEntry {
  Window* window = nullptr;
  std::shared_ptr<MessageQueue> queue;
};

struct WindowRegistry {
  std::mutex mutex;
  std::unordered_map<HWND, WindowEntry> windows;
  std::uintptr_t next_handle = 0x100;
};

WindowRegistry& Registry() {
  static WindowRegistry registry;
  return registry;
}

WindowEntry Lookup(HWND hwnd) {
  WindowRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const auto found = registry.windows.find(hwnd);
  return found == registry.windows.end() ? WindowEntry{} : found->second;
}

}  // namespace

Window::~Window() { DestroyHandle(); }

HWND Window::CreateHandle() {
  if (hwnd_ != nullptr) {
    return hwnd_;
  }
  WindowRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  // NOLINTNEXTLINE(performance-no-int-to-ptr): handles are numbers, never dereferenced
  hwnd_ = reinterpret_cast<HWND>(registry.next_handle++);
  registry.windows[hwnd_] = WindowEntry{this, CurrentQueueShared()};
  return hwnd_;
}

void Window::DestroyHandle() {
  if (hwnd_ == nullptr) {
    return;
  }
  std::shared_ptr<MessageQueue> queue;
  {
    WindowRegistry& registry = Registry();
    const std::lock_guard lock(registry.mutex);
    const auto found = registry.windows.find(hwnd_);
    queue = found->second.queue;
    registry.windows.erase(found);
  }
  queue->KillTimersOf(hwnd_);
  hwnd_ = nullptr;
}

LRESULT Window::WindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }

BOOL Window::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return platform::PostMessage(hwnd_, message, wParam, lParam);
}

LRESULT Window::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return platform::SendMessage(hwnd_, message, wParam, lParam);
}

UINT_PTR Window::SetTimer(UINT_PTR id, UINT elapse_ms) const {
  return platform::SetTimer(hwnd_, id, elapse_ms);
}

BOOL Window::KillTimer(UINT_PTR id) const { return platform::KillTimer(hwnd_, id); }

BOOL IsWindow(HWND hwnd) { return Lookup(hwnd).window != nullptr ? TRUE : FALSE; }

Window* FromHandle(HWND hwnd) { return Lookup(hwnd).window; }

DWORD GetWindowThreadId(HWND hwnd) {
  const WindowEntry entry = Lookup(hwnd);
  return entry.queue ? entry.queue->ThreadId() : 0;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowEntry entry = Lookup(hwnd);
  if (entry.window == nullptr) {
    return FALSE;
  }
  return entry.queue->Post(Msg{hwnd, message, wParam, lParam, {}}) ? TRUE : FALSE;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowEntry entry = Lookup(hwnd);
  if (entry.window == nullptr) {
    return 0;
  }
  const std::shared_ptr<MessageQueue> current = CurrentQueueShared();
  if (entry.queue == current) {
    return entry.window->WindowProc(message, wParam, lParam);
  }
  return entry.queue->SendFrom(current, hwnd, message, wParam, lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms) {
  const WindowEntry entry = Lookup(hwnd);
  if (entry.window == nullptr) {
    return 0;
  }
  entry.queue->SetTimer(hwnd, id, elapse_ms);
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  const WindowEntry entry = Lookup(hwnd);
  if (entry.window == nullptr) {
    return FALSE;
  }
  return entry.queue->KillTimer(hwnd, id) ? TRUE : FALSE;
}

LRESULT DispatchToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Lookup(hwnd).window;
  return window != nullptr ? window->WindowProc(message, wParam, lParam) : 0;
}

}  // namespace platform
