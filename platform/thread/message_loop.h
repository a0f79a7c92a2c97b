#pragma once

// The message loop primitives of the calling thread.

#include <functional>

#include "platform/clock/clock.h"
#include "platform/thread/message_queue.h"
#include "platform/win_types.h"

namespace platform {

// Waits for the next message; false when the thread's quit request is taken.
BOOL GetMessage(Msg& message);
// Window message: to its window procedure; thread message: to the thread object;
// closure: runs it.
void DispatchMessage(const Msg& message);
// Takes and dispatches messages until `done` is true. A quit request taken meanwhile is
// posted again and ends the loop (false).
bool RunModalLoop(const std::function<bool()>& done);

void PostQuitMessage(int exit_code);
BOOL PostThreadMessage(DWORD thread_id, UINT message, WPARAM wParam, LPARAM lParam);
// Runs `closure` on that thread's loop, after `delay_ms` of program time.
BOOL PostClosure(DWORD thread_id, std::function<void()> closure, Millis delay_ms = 0);
DWORD GetCurrentThreadId();
// Blocks the calling thread; no message is handled meanwhile.
void Sleep(DWORD milliseconds);

}  // namespace platform
