#pragma once

// Message boxes. A box is modal on the calling thread: the thread keeps handling its own
// messages (timers, posted and sent messages) until the box is answered, also on a worker
// thread, where the box blocks only that worker.

#include <string>
#include <string_view>

#include "platform/ui/ui_constants.h"
#include "platform/win_types.h"

namespace platform {

// `owner` may be null (no owner window). Returns IDOK or IDCANCEL; 0 when the thread was told to
// quit while the box was open.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags);
// The framework's box: the application's title as caption, the calling thread's active dialog
// (if any) as owner.
int AfxMessageBox(std::string_view text, UINT flags = MB_OK);

// The caption of AfxMessageBox; by default the program's file name.
void SetApplicationTitle(std::string_view title);
std::string GetApplicationTitle();

}  // namespace platform
