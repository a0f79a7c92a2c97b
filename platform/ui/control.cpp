#include "platform/ui/control.h"

#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/edit.h"
#include "platform/ui/progress_bar.h"

namespace platform {

Control::Control(ControlTemplate control_template, ControlHost& host, const LogFont& dialog_font)
    : template_(std::move(control_template)),
      host_(host),
      dialog_font_(dialog_font),
      text_(template_.text),
      enabled_(!HasFlag(template_.style, ControlStyle::kDisabled)),
      visible_(!HasFlag(template_.style, ControlStyle::kHidden)),
      font_(dialog_font) {}

void Control::SetWindowText(std::string_view text) {
  if (text_ == text) {
    return;
  }
  text_ = std::string(text);
  Changed(ControlChange::kText);
}

BOOL Control::EnableWindow(BOOL enable) {
  const bool was_enabled = enabled_;
  enabled_ = enable != FALSE;
  if (enabled_ != was_enabled) {
    Changed(ControlChange::kEnabled);
  }
  return was_enabled ? FALSE : TRUE;
}

BOOL Control::ShowWindow(int show_command) {
  const bool was_visible = visible_;
  visible_ = show_command != SW_HIDE;
  if (visible_ != was_visible) {
    Changed(ControlChange::kVisible);
  }
  return was_visible ? TRUE : FALSE;
}

void Control::SetFont(const Font* font, BOOL /*redraw*/) {
  // Views draw the new font at once either way; the redraw switch only mattered for painting.
  font_ = font != nullptr && font->IsCreated() ? font->GetLogFont() : dialog_font_;
  Changed(ControlChange::kFont);
}

void Control::Invalidate() { Changed(ControlChange::kRedraw); }

void Control::Changed(ControlChange change) { host_.OnControlChanged(*this, change); }

std::unique_ptr<Control> MakeControl(const ControlTemplate& control_template, ControlHost& host,
                                     const LogFont& dialog_font) {
  switch (control_template.kind) {
    case ControlKind::kPushButton:
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      return std::make_unique<Button>(control_template, host, dialog_font);
    case ControlKind::kComboBox:
      return std::make_unique<ComboBox>(control_template, host, dialog_font);
    case ControlKind::kEdit:
      return std::make_unique<Edit>(control_template, host, dialog_font);
    case ControlKind::kProgressBar:
      return std::make_unique<ProgressBar>(control_template, host, dialog_font);
    case ControlKind::kStatic:
    case ControlKind::kGroupBox:
    case ControlKind::kPicture:
    case ControlKind::kCustom:
      break;
  }
  return std::make_unique<Control>(control_template, host, dialog_font);
}

}  // namespace platform
