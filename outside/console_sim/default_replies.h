#pragma once

// The built-in console: it needs a DSP and a radio-module upgrade, and reports after each image
// the versions that image brings (the values are listed in docs/scenario.md).

#include <map>

#include "outside/console_sim/image_kind.h"
#include "outside/console_sim/scenario.h"

namespace outside::console_sim {

const ReplyTable& DefaultReplies();
const std::map<ImageKind, ReplyTable>& DefaultAfterImage();

}  // namespace outside::console_sim
