#include "upgrade_app/resources/artwork.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/image_resource.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

namespace colour {
constexpr std::uint32_t kTransparent = 0x00000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBadgeBlue = 0xFF1F5FA8;
constexpr std::uint32_t kBadgeRim = 0xFF123C6E;
constexpr std::uint32_t kChipGrey = 0xFF3A3F47;
constexpr std::uint32_t kChipPin = 0xFFC9CED6;
constexpr std::uint32_t kSky = 0xFFEEF3F8;
constexpr std::uint32_t kShadow = 0xFFC4CCD6;
constexpr std::uint32_t kBody = 0xFF2E3238;
constexpr std::uint32_t kBodyTop = 0xFF444A52;
constexpr std::uint32_t kGrille = 0xFF1C1F23;
constexpr std::uint32_t kDisplay = 0xFF9FD4A8;
constexpr std::uint32_t kDisplayText = 0xFF2F5E39;
constexpr std::uint32_t kKey = 0xFF8D949E;
constexpr std::uint32_t kLed = 0xFF3FA0FF;
constexpr std::uint32_t kCable = 0xFF5A6068;
constexpr std::uint32_t kPlug = 0xFFB0B6BE;
}  // namespace colour

// A small canvas with the few shapes the pictures need.
class Canvas {
 public:
  Canvas(int width, int height, std::uint32_t background) {
    image_.width = width;
    image_.height = height;
    image_.argb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                       background);
  }

  void Rect(int left, int top, int right, int bottom, std::uint32_t colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, image_.height); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, image_.width); ++x) {
        Put(x, y, colour);
      }
    }
  }

  // The ellipse inside the box from (left, top) to (right, bottom).
  void Ellipse(double left, double top, double right, double bottom, std::uint32_t colour) {
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double rx = (right - left) / 2;
    const double ry = (bottom - top) / 2;
    Fill(
        [=](double x, double y) {
          const double dx = (x - cx) / rx;
          const double dy = (y - cy) / ry;
          return dx * dx + dy * dy <= 1.0;
        },
        colour);
  }

  void Circle(double cx, double cy, double radius, std::uint32_t colour) {
    Ellipse(cx - radius, cy - radius, cx + radius, cy + radius, colour);
  }

  // A stroke of the given width from (x1, y1) to (x2, y2), with round ends.
  void Line(double x1, double y1, double x2, double y2, double width, std::uint32_t colour) {
    const double length_squared = (x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1);
    Fill(
        [=](double x, double y) {
          double t = ((x - x1) * (x2 - x1) + (y - y1) * (y2 - y1)) / length_squared;
          t = std::clamp(t, 0.0, 1.0);
          const double dx = x - (x1 + t * (x2 - x1));
          const double dy = y - (y1 + t * (y2 - y1));
          return std::sqrt(dx * dx + dy * dy) <= width / 2;
        },
        colour);
  }

  // A triangle given by its three corners.
  void Triangle(double ax, double ay, double bx, double by, double cx, double cy,
                std::uint32_t colour) {
    Fill(
        [=](double x, double y) {
          const double d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
          const double d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
          const double d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
          const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
          const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
          return !(negative && positive);
        },
        colour);
  }

  ResourceImage Take() { return std::move(image_); }

 private:
  template <typename Inside>
  void Fill(Inside inside, std::uint32_t colour) {
    for (int y = 0; y < image_.height; ++y) {
      for (int x = 0; x < image_.width; ++x) {
        // Pixel centres, so shapes come out symmetric.
        if (inside(x + 0.5, y + 0.5)) Put(x, y, colour);
      }
    }
  }

  void Put(int x, int y, std::uint32_t colour) {
    image_.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.width) +
                static_cast<std::size_t>(x)] = colour;
  }

  ResourceImage image_;
};

constexpr int kIconSize = 32;

// A blue badge with an arrow that points down into a chip: firmware going into the device.
ResourceImage DrawIcon() {
  Canvas canvas(kIconSize, kIconSize, colour::kTransparent);
  canvas.Circle(16, 16, 15.5, colour::kBadgeRim);
  canvas.Circle(16, 16, 14, colour::kBadgeBlue);
  canvas.Line(16, 5, 16, 15, 4, colour::kWhite);
  canvas.Triangle(9, 13, 23, 13, 16, 20, colour::kWhite);
  canvas.Rect(8, 21, 24, 27, colour::kChipGrey);
  for (int pin = 9; pin < 24; pin += 3) {
    canvas.Rect(pin, 27, pin + 2, 29, colour::kChipPin);
  }
  return canvas.Take();
}

constexpr int kPictureWidth = 196;
constexpr int kPictureHeight = 108;

// A conference console seen from above at a slant, with its display, keys, three speaker
// grilles and a USB cable leaving to the right.
ResourceImage DrawConsolePicture() {
  Canvas canvas(kPictureWidth, kPictureHeight, colour::kSky);
  canvas.Ellipse(14, 40, 170, 100, colour::kShadow);
  canvas.Line(150, 62, 188, 62, 5, colour::kCable);
  canvas.Rect(184, 57, 196, 67, colour::kPlug);
  canvas.Ellipse(10, 30, 166, 92, colour::kBody);
  canvas.Ellipse(16, 28, 160, 84, colour::kBodyTop);
  // Speaker grilles: three clusters of holes.
  for (const double centre_x : {48.0, 88.0, 128.0}) {
    for (int row = -1; row <= 1; ++row) {
      for (int column = -2; column <= 2; ++column) {
        canvas.Circle(centre_x + column * 4.0, 46 + row * 4.0, 1.2, colour::kGrille);
      }
    }
  }
  canvas.Rect(66, 60, 110, 72, colour::kDisplay);
  canvas.Rect(70, 64, 96, 66, colour::kDisplayText);
  canvas.Rect(70, 68, 88, 70, colour::kDisplayText);
  for (int key = 0; key < 3; ++key) {
    canvas.Rect(70 + key * 14, 75, 80 + key * 14, 79, colour::kKey);
  }
  canvas.Circle(118, 66, 2.5, colour::kLed);
  return canvas.Take();
}

}  // namespace

const ResourceImage* FindResourceImage(platform::UINT id) {
  static const ResourceImage kIcon = DrawIcon();
  static const ResourceImage kConsolePicture = DrawConsolePicture();
  switch (id) {
    case IDR_MAINFRAME:
      return &kIcon;
    case IDB_CONSOLE_PICTURE:
      return &kConsolePicture;
    default:
      return nullptr;
  }
}

void RegisterResourceImages() {
  for (const platform::UINT id : {IDR_MAINFRAME, IDB_CONSOLE_PICTURE}) {
    const ResourceImage& image = *FindResourceImage(id);
    platform::RegisterImageResource(id, {image.width, image.height, image.argb});
  }
}
