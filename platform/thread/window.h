#pragma once

// Windows belong to the thread that created them and receive messages through their window
// procedure. Handles are looked up, so a message to a window that is gone is dropped.

#include <memory>

#include "platform/clock/clock.h"
#include "platform/win_types.h"

namespace platform {

class MessageQueue;

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // Gives the window a handle on the calling thread; its messages are handled there.
  HWND CreateHandle();
  // Drops the handle and the window's timers (owner thread).
  void DestroyHandle();
  HWND GetSafeHwnd() const { return hwnd_; }

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse_ms) const;
  BOOL KillTimer(UINT_PTR id) const;

 private:
  HWND hwnd_ = nullptr;
};

BOOL IsWindow(HWND hwnd);
// The window behind a handle, or null. Only the owner thread may use the result.
Window* FromHandle(HWND hwnd);
// The thread id that owns the window, or 0.
DWORD GetWindowThreadId(HWND hwnd);

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Same thread: a direct call. Other thread: blocks until that thread has handled it.
// A window that does not exist gives 0 at once.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Returns `id`, or 0 when the window does not exist.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Calls the window procedure on the calling thread (the owner); 0 when the window is gone.
LRESULT DispatchToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
