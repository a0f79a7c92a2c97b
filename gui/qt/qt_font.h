#pragma once

// The program's font descriptions as Qt fonts, on a 96-dots-per-inch scale.

#include <QFont>

#include "platform/ui/font.h"

namespace gui {

QFont ToQFont(const platform::LogFont& font);

// Faces the program names that are not installed here are drawn with a font of the same
// metrics family. Once, before the first window.
void InstallFontSubstitutions();

}  // namespace gui
