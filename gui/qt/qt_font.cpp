#include "gui/qt/qt_font.h"

#include <QString>
#include <algorithm>
#include <cstdlib>

namespace gui {

namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;
constexpr int kLightestWeight = 100;
constexpr int kHeaviestWeight = 900;

int PixelSizeOf(const platform::LogFont& font) {
  if (font.height != 0) {
    // Negative: the character height; positive: the cell height, close enough for a view.
    return std::abs(font.height);
  }
  return (font.point_size * kDotsPerInch + kPointsPerInch / 2) / kPointsPerInch;
}

}  // namespace

QFont ToQFont(const platform::LogFont& font) {
  QFont result(QString::fromStdString(font.face));
  result.setPixelSize(std::max(PixelSizeOf(font), 1));
  const int weight = font.weight == 0 ? platform::FW_NORMAL : font.weight;
  result.setWeight(
      static_cast<QFont::Weight>(std::clamp(weight, kLightestWeight, kHeaviestWeight)));
  result.setItalic(font.italic);
  result.setUnderline(font.underline);
  result.setStrikeOut(font.strike_out);
  return result;
}

void InstallFontSubstitutions() {
  // Liberation Sans has Arial's metrics; the old dialog face is closest to it too.
  const QString metric_twin = QStringLiteral("Liberation Sans");
  for (const char* face : {"Arial", "MS Sans Serif", "MS Shell Dlg", "Microsoft Sans Serif"}) {
    QFont::insertSubstitution(QString::fromLatin1(face), metric_twin);
  }
}

}  // namespace gui
