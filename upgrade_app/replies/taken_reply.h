#pragma once

#include <vector>

#include "platform/win_types.h"

// A reply as the main window took it from the worker (or, for an identify or reset job, from
// the message): whether it verified, and its decoded bytes.
struct TakenReply {
  bool verified = false;
  std::vector<platform::BYTE> bytes;
};
