#pragma once

// Icons are resources of the program, known by number; a handle carries that number so a view
// can look the picture up.

#include "platform/win_types.h"

namespace platform {

struct IconHandleTag;
using HICON = IconHandleTag*;

HICON LoadIcon(UINT resource_id);
// The resource number behind a handle from LoadIcon; 0 for no icon.
UINT IconResourceId(HICON icon);

}  // namespace platform
