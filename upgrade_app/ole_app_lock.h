#pragma once

// The application lock that automation objects take while a client holds them: it keeps the
// program from ending under them.

#include "platform/win_types.h"

void LockOleApplication();
void UnlockOleApplication();
platform::LONG OleApplicationLockCount();
