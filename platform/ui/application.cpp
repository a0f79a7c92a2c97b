#include "platform/ui/application.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/thread_role.h"
#include "platform/ui/ui_backend.h"

namespace platform {

namespace {

std::atomic<bool> g_end_without_cleanup = false;

}  // namespace

int RunApplication(WinThread& application) {
  RegisterGuiThread(application.End());
  const int exit_code = application.RunOnCurrentThread();
  ReportExit(exit_code);
  if (g_end_without_cleanup) EndProcessNow(exit_code);
  return exit_code;
}

void EndWithoutCleanup() { g_end_without_cleanup = true; }

void EndProcessNow(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace platform
