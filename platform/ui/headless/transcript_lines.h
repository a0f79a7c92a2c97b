#pragma once

// The lines of the automation transcript, one function per kind of line.

#include <optional>
#include <string>
#include <string_view>

#include "platform/clock/clock.h"
#include "platform/ui/ui_backend.h"
#include "platform/ui/ui_constants.h"

namespace platform {

class Control;
class Dialog;

std::string FormatBoxLine(const MessageBoxRequest& request, int answer, bool automatic);
std::string FormatFileDialogLine(const FileDialogRequest& request, const FileDialogAnswer& answer,
                                 bool automatic);
std::string FormatShellLine(const ShellRequest& request);
std::string FormatDialogOpenLine(UINT template_id);
std::string FormatDialogCloseLine(UINT template_id, INT_PTR result);
// The state of a control; asks the dialog's colour hook, so only on the dialog's thread.
std::string FormatControlLine(Dialog& dialog, const Control& control);
std::string FormatWindowLine(const Dialog& dialog);
std::string FormatExitLine(int exit_code);
// The program's clock in whole milliseconds since it started.
std::string FormatTimeLine(Millis now);
std::string FormatErrorLine(int script_line, std::string_view message);
std::string FormatIgnoredLine(int script_line, std::string_view reason);
inline constexpr std::string_view kIdleLine = "idle";

}  // namespace platform
