#pragma once

// The program's run on its main thread, with the UI told where it begins and ends.

#include "platform/thread/win_thread.h"

namespace platform {

// Makes the calling thread the GUI thread, runs `application` on it (InitInstance, the loop,
// ExitInstance) and reports the exit code to the UI backend. Returns the exit code.
int RunApplication(WinThread& application);

}  // namespace platform
