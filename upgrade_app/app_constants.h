#pragma once

// Constants shared by the application's source files.

#include "device_link/shared_constants.h"

// Name of the status file: probed in the install folder at start-up, written in the
// application-data folder by the status log.
inline constexpr char g_strStatusFileName[] = "TessalyStatus.txt";
