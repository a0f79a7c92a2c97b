#pragma once

// The shell's verbs on a file ("open" shows it with the program the desktop chooses).

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

// A value above 32 on success, as the shell answers.
std::intptr_t ShellExecute(HWND owner, std::string_view verb, std::string_view file,
                           std::string_view parameters, std::string_view directory,
                           int show_command);

}  // namespace platform
