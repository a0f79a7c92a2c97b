#pragma once

// The window that the worker thread reports to: its main window, which it took over from the
// application when it started. Null on a thread that is no platform thread or has none.

#include "platform/win_types.h"

platform::HWND WorkerMainWindow();

// Both do nothing (and give 0 / FALSE) when there is no main window or it no longer exists.
platform::LRESULT SendToWorkerMainWindow(platform::UINT message, platform::WPARAM wParam,
                                         platform::LPARAM lParam);
platform::BOOL PostToWorkerMainWindow(platform::UINT message, platform::WPARAM wParam,
                                      platform::LPARAM lParam);
