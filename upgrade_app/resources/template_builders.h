#pragma once

// Short forms for writing dialog templates as data.

#include <string>

#include "platform/ui/dialog_template.h"

namespace template_builders {

using platform::ControlKind;
using platform::ControlStyle;
using platform::DialogRect;
using platform::DialogStyle;

inline constexpr DialogStyle kPopupDialog =
    DialogStyle::kCaption | DialogStyle::kSystemMenu | DialogStyle::kModalFrame;

inline platform::ControlTemplate Make(int id, ControlKind kind, std::string text, DialogRect rect,
                                      ControlStyle style = ControlStyle::kNone) {
  platform::ControlTemplate control;
  control.id = id;
  control.kind = kind;
  control.text = std::move(text);
  control.rect = rect;
  control.style = style;
  return control;
}

inline platform::ControlTemplate Button(int id, std::string text, DialogRect rect,
                                        ControlStyle style = ControlStyle::kNone) {
  return Make(id, ControlKind::kPushButton, std::move(text), rect, style | ControlStyle::kTabStop);
}

inline platform::ControlTemplate DefaultButton(int id, std::string text, DialogRect rect) {
  return Button(id, std::move(text), rect, ControlStyle::kDefaultButton);
}

inline platform::ControlTemplate Static(int id, std::string text, DialogRect rect,
                                        ControlStyle style = ControlStyle::kNone) {
  return Make(id, ControlKind::kStatic, std::move(text), rect, style);
}

inline platform::ControlTemplate Radio(int id, std::string text, DialogRect rect,
                                       ControlStyle style = ControlStyle::kNone) {
  return Make(id, ControlKind::kRadioButton, std::move(text), rect, style);
}

inline platform::ControlTemplate Picture(int id, platform::UINT image, DialogRect rect) {
  platform::ControlTemplate control = Make(id, ControlKind::kPicture, {}, rect);
  control.image_resource = image;
  return control;
}

inline platform::DialogTemplate Dialog(platform::UINT id, std::string title,
                                       platform::DialogFont font, int width, int height,
                                       DialogStyle style) {
  platform::DialogTemplate dialog;
  dialog.id = id;
  dialog.title = std::move(title);
  dialog.font = std::move(font);
  dialog.width = width;
  dialog.height = height;
  dialog.style = style;
  return dialog;
}

inline platform::DialogFont SansSerif8() { return {"MS Sans Serif", 8}; }

}  // namespace template_builders
