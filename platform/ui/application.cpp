#include "platform/ui/application.h"

#include "platform/ui/thread_role.h"
#include "platform/ui/ui_backend.h"

namespace platform {

int RunApplication(WinThread& application) {
  RegisterGuiThread(application.End());
  const int exit_code = application.RunOnCurrentThread();
  ReportExit(exit_code);
  return exit_code;
}

}  // namespace platform
