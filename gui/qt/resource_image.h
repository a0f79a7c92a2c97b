#pragma once

// The program's registered pictures as Qt images.

#include <QImage>

#include "platform/win_types.h"

namespace gui {

// A null image when the program registered no picture under `id`.
QImage ResourceImage(platform::UINT id);

}  // namespace gui
