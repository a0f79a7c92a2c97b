#pragma once

// What a dialog's colour hook decides for one control: the text colour and whether the text is
// drawn on a transparent background. Unset values keep the view's defaults.

#include <optional>

#include "platform/ui/ui_constants.h"

namespace platform {

class ControlColors {
 public:
  COLORREF SetTextColor(COLORREF color);
  int SetBkMode(int mode);

  std::optional<COLORREF> TextColor() const { return text_color_; }
  bool IsTransparent() const { return background_mode_ == TRANSPARENT; }

 private:
  std::optional<COLORREF> text_color_;
  int background_mode_ = OPAQUE;
};

}  // namespace platform
