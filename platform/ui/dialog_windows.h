#pragma once

// Every dialog window that exists, in the order it was created, readable from any thread: which
// template a handle shows, which dialog owns a message box that names no owner.

#include <optional>

#include "platform/win_types.h"

namespace platform {

// Called by the dialog model on the owner thread.
void RecordDialogWindow(HWND hwnd, UINT template_id, DWORD thread_id, bool on_screen);
void SetDialogOnScreen(HWND hwnd, bool on_screen);
void ForgetDialogWindow(HWND hwnd);

// The template shown by a dialog window, or nothing when the handle is no dialog.
std::optional<UINT> DialogTemplateOf(HWND hwnd);
// The most recently created dialog of a thread that is on screen now, or null.
HWND ActiveDialogOfThread(DWORD thread_id);

}  // namespace platform
