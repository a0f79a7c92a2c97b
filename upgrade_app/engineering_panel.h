#pragma once

// What the engineering panel's bus-mail test hook checks.

#include <vector>

#include "platform/win_types.h"

// The sample reply of the bus-mail test hook: 0x10, 0x00, 0x10, then byte i holds i + 10 up to
// byte 19. Its last byte is not the sum of the bytes it covers.
std::vector<platform::BYTE> SampleReplyFrame();
