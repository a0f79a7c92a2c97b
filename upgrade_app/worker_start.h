#pragma once

// Starting the worker thread. The main window starts it through StartUpgradeThread; the
// starter can be replaced, so that a test can watch what the window asks of its worker.

#include <functional>
#include <memory>

#include "platform/thread/win_thread.h"
#include "platform/win_types.h"

class CUpGradeThread;

struct StartedWorker {
  CUpGradeThread* thread = nullptr;  // the thread object; it deletes itself when it ends
  platform::DWORD thread_id = 0;
  std::shared_ptr<platform::ThreadEnd> end;
  // Lets the thread run (the first call starts it).
  std::function<void()> resume;
};

// Starts a worker that answers to `main_window`.
using WorkerStarter = std::function<StartedWorker(platform::HWND main_window)>;

// Creates the worker object and its thread, suspended, with auto-delete on, answering to
// `main_window`. An empty result (null thread) when the thread cannot be started.
StartedWorker StartUpgradeThread(platform::HWND main_window);

// Installs `starter` in place of the default one (null restores it); returns the previous one.
WorkerStarter SetWorkerStarter(WorkerStarter starter);
