#pragma once

// Pictures of the windows as a run shows them, for people checking the view: with
// TESSALY_QT_SCREENSHOTS=<folder>, each dialog window is saved as <folder>/<template>-<n>.png
// (n counts the windows of that template in the run) as it first appears: on the first turn of
// Qt's event loop after it went on the screen, that is once the program waits with it there
// (after the dialog's initialisation, and before anything a person or script does to it).

#include <QWidget>

#include "platform/win_types.h"

namespace gui {

// Called when the window goes on the screen for the first time.
void SaveFirstLookLater(QWidget& window, platform::UINT template_id);

}  // namespace gui
