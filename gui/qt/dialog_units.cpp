#include "gui/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <cmath>

namespace gui {

namespace {

constexpr int kUnitsPerCharacterWidth = 4;
constexpr int kUnitsPerCharacterHeight = 8;
constexpr int kLettersPerCase = 26;

// value * numerator / denominator, rounded to the nearest integer.
int MulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

int CharacterHeight(const QFont& font) {
  const QFontMetricsF metrics(font);
  return static_cast<int>(std::ceil(metrics.ascent() + metrics.descent()));
}

BaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  // The mean advance of the upper- and lower-case alphabet, rounded to a whole pixel: templates
  // are measured against this width, not the font's own average.
  const int alphabet_width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return BaseUnits{(alphabet_width / kLettersPerCase + 1) / 2, CharacterHeight(font)};
}

QRect MapDialogRect(const platform::DialogRect& rect, BaseUnits units) {
  // Edges are mapped, not sizes, so controls that touch in dialog units touch on the screen
  // instead of overlapping by a rounded pixel.
  const int left = MulDiv(rect.x, units.horizontal, kUnitsPerCharacterWidth);
  const int top = MulDiv(rect.y, units.vertical, kUnitsPerCharacterHeight);
  const int right = MulDiv(rect.x + rect.width, units.horizontal, kUnitsPerCharacterWidth);
  const int bottom = MulDiv(rect.y + rect.height, units.vertical, kUnitsPerCharacterHeight);
  return QRect(left, top, right - left, bottom - top);
}

QSize MapDialogSize(int width, int height, BaseUnits units) {
  return MapDialogRect(platform::DialogRect{0, 0, width, height}, units).size();
}

}  // namespace gui
