#include "upgrade_app/worker_start.h"

#include <utility>

#include "device_link/upgrade_thread.h"

namespace {

StartedWorker StartDefaultWorker(platform::HWND main_window) {
  CUpGradeThread* const thread = CUpGradeThread::BeginSuspended(main_window);
  if (thread == nullptr) return {};
  thread->m_bAutoDelete = platform::TRUE;
  return {thread, thread->ThreadId(), thread->End(), [thread] { thread->ResumeThread(); }};
}

WorkerStarter& InstalledStarter() {
  static WorkerStarter starter;
  return starter;
}

}  // namespace

StartedWorker StartUpgradeThread(platform::HWND main_window) {
  const WorkerStarter& starter = InstalledStarter();
  return starter ? starter(main_window) : StartDefaultWorker(main_window);
}

WorkerStarter SetWorkerStarter(WorkerStarter starter) {
  return std::exchange(InstalledStarter(), std::move(starter));
}
