#pragma once

// One step of a step table, keyed by its step number in the main window's task map.

#include "platform/win_types.h"

struct _STRUCT_TASK {
  int nStep = 0;
  int nSkip = 0;  // 3: the runner passes over the step
  int nType = 0;
  int nArgument = 0;
  int nTimeout = 0;  // ms
  platform::BYTE bCompareVersion = 0;
  int nDelay = 0;  // ms
};
