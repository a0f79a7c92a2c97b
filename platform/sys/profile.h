#pragma once

// Reading settings ("profile") files: "[section]" lines followed by "key=value" lines.

#include "platform/win_types.h"

namespace platform {

// With a section and a key: copies the value (blanks around it removed) or, when the file, the
// section or the key is missing, `default_value` without its trailing blanks; at most size-1
// characters, always terminated; returns the count copied.
// Without a key: the section's key names; without a section: the section names. Each name is
// terminated and the list ends with a second terminator; a list that does not fit is cut and
// the result is size-2.
// Section and key names compare without regard to case. A file name without a folder is looked
// for in the Windows directory.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* default_value,
                               char* buffer, DWORD size, const char* file_name);

}  // namespace platform
