#pragma once

// Dialog units: a horizontal unit is a quarter of the dialog font's average character width,
// a vertical unit an eighth of its character height. Templates place everything in them, so a
// dialog keeps its proportions with whatever font it gets.

#include <QFont>
#include <QRect>
#include <QSize>

#include "platform/ui/dialog_template.h"

namespace gui {

struct BaseUnits {
  int horizontal = 0;  // average character width, pixels
  int vertical = 0;    // character height, pixels
};

// The height of a line of text in whole pixels: the font's ascent and descent together, rounded
// up, so that a line never gets less room than its glyphs need.
int CharacterHeight(const QFont& font);
BaseUnits BaseUnitsOf(const QFont& font);
QRect MapDialogRect(const platform::DialogRect& rect, BaseUnits units);
QSize MapDialogSize(int width, int height, BaseUnits units);

}  // namespace gui
