#pragma once

// Counts the strongly red pixels of a picture: how the tests see the red text of an aborted
// upgrade.

#include <QColor>
#include <QImage>

namespace tessaly_test {

inline int RedPixels(const QImage& image) {
  constexpr int kStrong = 200;
  constexpr int kWeak = 80;
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      count += pixel.red() > kStrong && pixel.green() < kWeak && pixel.blue() < kWeak ? 1 : 0;
    }
  }
  return count;
}

}  // namespace tessaly_test
