#pragma once

// Pictures of the windows as a run shows them, for people checking the view: with
// TESSALY_QT_SCREENSHOTS=<folder>, each dialog window is saved as <folder>/<template>-<n>.png
// once it has been painted for the first time (n counts the windows of that template in the run).

#include <QWidget>

#include "platform/win_types.h"

namespace gui {

// Called from the window's first paint; the picture is taken on the next turn of Qt's loop.
void SaveFirstLookLater(QWidget& window, platform::UINT template_id);

}  // namespace gui
