#pragma once

// The widget of one control of a dialog and how it follows the model. The widget shows what the
// model holds; what the user does with it is posted to the dialog's thread as the model's own
// user action (a click, a chosen item), so the program sees it as a command message in order.

#include <QColor>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "gui/qt/dialog_units.h"
#include "platform/ui/control.h"
#include "platform/ui/control_colors.h"
#include "platform/ui/dialog.h"

namespace gui {

// What a control view needs from the window that holds it.
class ControlHostView {
 public:
  // Runs `action` on the dialog's thread, in turn with the program's messages, while the dialog
  // still exists.
  virtual void PostToDialog(std::function<void(platform::Dialog&)> action) = 0;
  // What the dialog's colour hook decides for the control now.
  virtual platform::ControlColors ColorsOf(const platform::Control& control) = 0;

 protected:
  ControlHostView() = default;
  ControlHostView(const ControlHostView&) = default;
  ControlHostView& operator=(const ControlHostView&) = default;
  ~ControlHostView() = default;
};

class ControlView {
 public:
  // The view that fits the control's kind, its widget a child of `parent`.
  static std::unique_ptr<ControlView> Create(platform::Control& control, std::size_t index,
                                             ControlHostView& host, QWidget* parent);

  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;
  virtual ~ControlView() = default;

  QWidget* Widget() const { return widget_; }
  const platform::Control& Model() const { return control_; }
  // Places the widget from the template's dialog units; again with the same units whenever the
  // control's font changes.
  void Place(BaseUnits units);
  // Brings the widget up to the model after `change`.
  void Follow(platform::ControlChange change);
  // Everything at once (a new window).
  void FollowAll();

 protected:
  ControlView(platform::Control& control, std::size_t index, ControlHostView& host,
              QWidget* widget);

  platform::Control& Control() const { return control_; }
  // The user acts on this control: `action` runs on the dialog's thread if the control is still
  // there, visible and enabled.
  template <class ControlClass>
  void PostUserAction(std::function<void(ControlClass&)> action) {
    PostUserActionTo([action = std::move(action)](platform::Control& control) {
      if (auto* typed = dynamic_cast<ControlClass*>(&control)) {
        action(*typed);
      }
    });
  }
  std::optional<QColor> TextColor() const { return text_color_; }

  virtual void FollowText() = 0;
  virtual void FollowKindSpecific(platform::ControlChange /*change*/) {}
  virtual QRect Geometry(BaseUnits units) const;
  // The widget has been placed with these units.
  virtual void Placed(BaseUnits /*units*/) {}
  // The control's text colour from the dialog's colour hook has changed.
  virtual void FollowColors() {}

 private:
  void PostUserActionTo(std::function<void(platform::Control&)> action);
  void Apply(platform::ControlChange change);
  void AskColors();

  platform::Control& control_;
  std::size_t index_;
  ControlHostView& host_;
  QWidget* widget_;                 // owned by its parent widget
  std::optional<BaseUnits> units_;  // once placed
  std::optional<QColor> text_color_;
};

// A control's text as a Qt string: line breaks without carriage returns.
QString DisplayText(std::string_view text);

}  // namespace gui
