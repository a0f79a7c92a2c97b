#include "platform/ui/dialog_windows.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

namespace {

struct DialogWindow {
  HWND hwnd = nullptr;
  UINT template_id = 0;
  DWORD thread_id = 0;
  bool on_screen = false;
};

struct DialogWindows {
  std::mutex mutex;
  std::vector<DialogWindow> windows;  // oldest first

  DialogWindow* Find(HWND hwnd) {
    const auto found =
        std::find_if(windows.begin(), windows.end(),
                     [&](const DialogWindow& window) { return window.hwnd == hwnd; });
    return found == windows.end() ? nullptr : &*found;
  }
};

DialogWindows& Windows() {
  static DialogWindows windows;
  return windows;
}

}  // namespace

void RecordDialogWindow(HWND hwnd, UINT template_id, DWORD thread_id, bool on_screen) {
  DialogWindows& all = Windows();
  const std::lock_guard lock(all.mutex);
  all.windows.push_back(DialogWindow{hwnd, template_id, thread_id, on_screen});
}

void SetDialogOnScreen(HWND hwnd, bool on_screen) {
  DialogWindows& all = Windows();
  const std::lock_guard lock(all.mutex);
  if (DialogWindow* window = all.Find(hwnd)) {
    window->on_screen = on_screen;
  }
}

void ForgetDialogWindow(HWND hwnd) {
  DialogWindows& all = Windows();
  const std::lock_guard lock(all.mutex);
  std::erase_if(all.windows, [&](const DialogWindow& window) { return window.hwnd == hwnd; });
}

std::optional<UINT> DialogTemplateOf(HWND hwnd) {
  DialogWindows& all = Windows();
  const std::lock_guard lock(all.mutex);
  const DialogWindow* window = all.Find(hwnd);
  if (window == nullptr) {
    return std::nullopt;
  }
  return window->template_id;
}

HWND ActiveDialogOfThread(DWORD thread_id) {
  DialogWindows& all = Windows();
  const std::lock_guard lock(all.mutex);
  const auto found =
      std::find_if(all.windows.rbegin(), all.windows.rend(), [&](const DialogWindow& window) {
        return window.thread_id == thread_id && window.on_screen;
      });
  return found == all.windows.rend() ? nullptr : found->hwnd;
}

}  // namespace platform
