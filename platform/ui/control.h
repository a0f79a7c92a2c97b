#pragma once

// A control of a dialog: made from its template line, addressed by id, and owned by the dialog.
// Every change is reported to the dialog, which tells the views.

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/dialog_template.h"
#include "platform/ui/font.h"
#include "platform/win_types.h"

namespace platform {

class Button;
class Control;

enum class ControlChange {
  kText,
  kEnabled,
  kVisible,
  kFont,
  kCheck,
  kItems,
  kSelection,
  kDropDown,
  kRange,
  kPosition,
  kEditSelection,
  kScroll,
  kRedraw,
};

// What a control needs from the dialog that holds it.
class ControlHost {
 public:
  virtual void OnControlChanged(Control& control, ControlChange change) = 0;
  // The user acted on the control: the dialog receives WM_COMMAND with this notification.
  virtual void OnControlNotify(Control& control, UINT notification) = 0;
  // A radio button became checked: the others of its group are cleared.
  virtual void OnRadioChecked(Button& button) = 0;

 protected:
  ControlHost() = default;
  ControlHost(const ControlHost&) = default;
  ControlHost& operator=(const ControlHost&) = default;
  ~ControlHost() = default;
};

class Control {
 public:
  Control(ControlTemplate control_template, ControlHost& host, const LogFont& dialog_font);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  int GetDlgCtrlID() const { return template_.id; }
  ControlKind Kind() const { return template_.kind; }
  const ControlTemplate& Template() const { return template_; }
  bool HasStyle(ControlStyle style) const { return HasFlag(template_.style, style); }

  virtual void SetWindowText(std::string_view text);
  virtual std::string GetWindowText() const { return text_; }
  // Returns TRUE when the control was disabled before.
  BOOL EnableWindow(BOOL enable);
  BOOL IsWindowEnabled() const { return enabled_ ? TRUE : FALSE; }
  // SW_HIDE or a show command; returns TRUE when the control was visible before.
  BOOL ShowWindow(int show_command);
  // The control's own visibility, whatever the dialog's.
  BOOL IsWindowVisible() const { return visible_ ? TRUE : FALSE; }
  // Null gives the dialog's font back.
  void SetFont(const Font* font, BOOL redraw = TRUE);
  const LogFont& GetFont() const { return font_; }
  // Asks the views to draw the control again (and to ask the dialog's colour hook anew).
  void Invalidate();

 protected:
  void Changed(ControlChange change);
  ControlHost& Host() { return host_; }
  void SetTextSilently(std::string text) { text_ = std::move(text); }

 private:
  ControlTemplate template_;
  ControlHost& host_;
  LogFont dialog_font_;
  std::string text_;
  bool enabled_;
  bool visible_;
  LogFont font_;
};

// The control class that fits the template's kind.
std::unique_ptr<Control> MakeControl(const ControlTemplate& control_template, ControlHost& host,
                                     const LogFont& dialog_font);

}  // namespace platform
