#pragma once

// The program's run on its main thread, with the UI told where it begins and ends.

#include "platform/thread/win_thread.h"

namespace platform {

// Makes the calling thread the GUI thread, runs `application` on it (InitInstance, the loop,
// ExitInstance) and reports the exit code to the UI backend. Returns the exit code, unless the
// run asked to end without clean-up: then the process ends right there with that code.
int RunApplication(WinThread& application);

// Asks that the process end as soon as the application's run is over, without the exit-time
// clean-up: a thread that outlived the program's wait for it still uses the program's objects,
// which that clean-up would destroy under it.
void EndWithoutCleanup();

// Flushes all output and ends the process with `status`, without running destructors.
[[noreturn]] void EndProcessNow(int status);

}  // namespace platform
