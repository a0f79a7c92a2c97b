#pragma once

// Messages between the main window, the worker thread and the USB event sinks. Both sides use
// these numbers; the main window's messages to itself are the application's own.

#include "platform/thread/messages.h"
#include "platform/win_types.h"

// Main window to worker: the worker shows a test box, answers WM_UPG_TEST_DLG and quits.
inline constexpr platform::UINT WM_UPG_TEST_THREAD = platform::WM_USER + 10;
// Worker to main window, in answer to WM_UPG_TEST_THREAD.
inline constexpr platform::UINT WM_UPG_TEST_DLG = platform::WM_USER + 11;
// Main window to worker: end the worker thread.
inline constexpr platform::UINT WM_UPG_END_THREAD = platform::WM_USER + 20;
// Event sink to main window (posted), then main window to worker while a command is pending:
// a report has been read and is waiting to be taken.
inline constexpr platform::UINT WM_UPG_READ_COMPLETE = platform::WM_USER + 30;
// Event sink to main window (posted).
inline constexpr platform::UINT WM_UPG_DEVICE_REMOVED = platform::WM_USER + 31;
inline constexpr platform::UINT WM_UPG_DEVICE_ARRIVED = platform::WM_USER + 32;
inline constexpr platform::UINT WM_UPG_WRITE_COMPLETE = platform::WM_USER + 33;
// Worker to main window, sent (the worker waits): a reply, an identify result or a reset
// result is ready. wParam/lParam: (0, 0) after a report was read; (device number, 1) identify
// found the console; (previous device number, 0) identify found none; (1, 1) reset done.
inline constexpr platform::UINT WM_UPG_REPLY = platform::WM_USER + 34;
// Worker to main window, sent: download progress, with wParam one of the kFileProgress* values.
inline constexpr platform::UINT WM_UPG_FILE_PROGRESS = platform::WM_USER + 35;
// Worker to main window, posted after a download of that image.
inline constexpr platform::UINT WM_UPG_DSP_FILE_SENT = platform::WM_USER + 50;
inline constexpr platform::UINT WM_UPG_CVM_FILE_SENT = platform::WM_USER + 62;
inline constexpr platform::UINT WM_UPG_BOOTBLOCK_FILE_SENT = platform::WM_USER + 65;
// Main window to worker: run the job that has been set.
inline constexpr platform::UINT WM_UPG_RUN_TASK = platform::WM_USER + 69;

// wParam of WM_UPG_FILE_PROGRESS; lParam is a byte count.
inline constexpr platform::WPARAM kFileProgressBytes = 0;  // bytes read from the file so far
inline constexpr platform::WPARAM kFileProgressEnd = 1;    // the whole file, once at the end
inline constexpr platform::WPARAM kFileProgressStart = 2;  // the file's length, before block one
