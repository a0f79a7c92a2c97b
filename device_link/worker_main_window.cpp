#include "device_link/worker_main_window.h"

#include "platform/thread/win_thread.h"
#include "platform/thread/window.h"

platform::HWND WorkerMainWindow() {
  const platform::WinThread* const thread = platform::WinThread::Current();
  return thread != nullptr ? thread->m_pMainWnd : nullptr;
}

platform::LRESULT SendToWorkerMainWindow(platform::UINT message, platform::WPARAM wParam,
                                         platform::LPARAM lParam) {
  const platform::HWND main_window = WorkerMainWindow();
  if (platform::IsWindow(main_window) == platform::FALSE) {
    return 0;
  }
  return platform::SendMessage(main_window, message, wParam, lParam);
}

platform::BOOL PostToWorkerMainWindow(platform::UINT message, platform::WPARAM wParam,
                                      platform::LPARAM lParam) {
  const platform::HWND main_window = WorkerMainWindow();
  if (platform::IsWindow(main_window) == platform::FALSE) {
    return platform::FALSE;
  }
  return platform::PostMessage(main_window, message, wParam, lParam);
}
