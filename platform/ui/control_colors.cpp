#include "platform/ui/control_colors.h"

namespace platform {

COLORREF ControlColors::SetTextColor(COLORREF color) {
  const COLORREF previous = text_color_.value_or(RGB(0, 0, 0));
  text_color_ = color;
  return previous;
}

int ControlColors::SetBkMode(int mode) {
  const int previous = background_mode_;
  background_mode_ = mode;
  return previous;
}

}  // namespace platform
