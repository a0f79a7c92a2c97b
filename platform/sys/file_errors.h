#pragma once

// From system errors to the framework's file exception.

#include <string_view>

#include "platform/exceptions.h"
#include "platform/win_types.h"

namespace platform {

// The file exception cause that stands for a system error number.
int FileExceptionCause(DWORD error);

CFileException MakeFileException(DWORD error, std::string_view file_name);

// The system error of a failed call on `host_path` with `error_number` (errno): a missing
// folder on the way is told apart from a missing file.
DWORD FileErrorFromErrno(int error_number, const char* host_path);

}  // namespace platform
