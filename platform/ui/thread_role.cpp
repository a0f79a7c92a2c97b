#include "platform/ui/thread_role.h"

#include <atomic>
#include <mutex>

#include "platform/thread/message_loop.h"

namespace platform {

namespace {

struct GuiThread {
  std::atomic<DWORD> thread_id = 0;
  std::mutex mutex;
  std::shared_ptr<ThreadEnd> end;
};

GuiThread& Gui() {
  static GuiThread gui;
  return gui;
}

}  // namespace

void RegisterGuiThread(std::shared_ptr<ThreadEnd> end) {
  GuiThread& gui = Gui();
  gui.thread_id = GetCurrentThreadId();
  const std::lock_guard lock(gui.mutex);
  gui.end = std::move(end);
}

ThreadRole CurrentThreadRole() {
  if (GetCurrentThreadId() == Gui().thread_id) {
    return ThreadRole::kGui;
  }
  return WinThread::Current() != nullptr ? ThreadRole::kWorker : ThreadRole::kOther;
}

std::string_view ThreadRoleName(ThreadRole role) {
  switch (role) {
    case ThreadRole::kGui:
      return "gui";
    case ThreadRole::kWorker:
      return "worker";
    case ThreadRole::kOther:
      break;
  }
  return "other";
}

bool IsGuiThreadFinished() {
  GuiThread& gui = Gui();
  const std::lock_guard lock(gui.mutex);
  return gui.end && gui.end->IsFinished();
}

}  // namespace platform
