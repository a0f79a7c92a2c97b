#include "platform/thread/message_loop.h"

#include "platform/thread/messages.h"
#include "platform/thread/win_thread.h"
#include "platform/thread/window.h"

namespace platform {

BOOL GetMessage(Msg& message) {
  int quit_code = 0;
  if (CurrentQueue().Get(message, quit_code)) {
    return TRUE;
  }
  message = Msg{nullptr, WM_QUIT, static_cast<WPARAM>(quit_code), 0, {}};
  return FALSE;
}

void DispatchMessage(const Msg& message) {
  if (message.closure) {
    message.closure();
    return;
  }
  if (message.hwnd == nullptr) {
    if (WinThread* thread = WinThread::Current()) {
      thread->DispatchThreadMessage(message);
    }
    return;
  }
  DispatchToWindow(message.hwnd, message.message, message.wParam, message.lParam);
}

bool RunModalLoop(const std::function<bool()>& done) {
  while (!done()) {
    Msg message;
    if (GetMessage(message) == FALSE) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    DispatchMessage(message);
  }
  return true;
}

void PostQuitMessage(int exit_code) { CurrentQueue().PostQuit(exit_code); }

BOOL PostThreadMessage(DWORD thread_id, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto queue = FindQueue(thread_id);
  return queue && queue->Post(Msg{nullptr, message, wParam, lParam, {}}) ? TRUE : FALSE;
}

BOOL PostClosure(DWORD thread_id, std::function<void()> closure, Millis delay_ms) {
  const auto queue = FindQueue(thread_id);
  return queue && queue->PostClosure(std::move(closure), delay_ms) ? TRUE : FALSE;
}

DWORD GetCurrentThreadId() { return CurrentQueue().ThreadId(); }

void Sleep(DWORD milliseconds) { GetClock().Sleep(milliseconds); }

}  // namespace platform
