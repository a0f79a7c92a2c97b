#pragma once

// Which of the program's threads is calling: the GUI thread that runs the application, a worker
// (any other platform thread), or another thread.

#include <memory>
#include <string_view>

#include "platform/thread/win_thread.h"

namespace platform {

enum class ThreadRole { kGui, kWorker, kOther };

// Makes the calling thread the GUI thread. `end`, when given, tells when the application's run
// on it has finished.
void RegisterGuiThread(std::shared_ptr<ThreadEnd> end = nullptr);
ThreadRole CurrentThreadRole();
std::string_view ThreadRoleName(ThreadRole role);
// True once the application registered with RegisterGuiThread has finished its run.
bool IsGuiThreadFinished();

}  // namespace platform
