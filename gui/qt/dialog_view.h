#pragma once

// The window of one dialog: a top-level widget laid out from the template in dialog units, with
// a control view per control. It follows the dialog model and passes the user's actions (clicks,
// chosen items, the close box, Esc and Enter, the system menu) to the dialog's thread.

#include <QMenu>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "gui/qt/control_view.h"
#include "gui/qt/dialog_units.h"
#include "platform/ui/dialog.h"

namespace gui {

class DialogView final : public QWidget, private ControlHostView {
 public:
  // `owner`: the window this one belongs to (shown above it, centred on it), or null.
  DialogView(platform::Dialog& dialog, QWidget* owner);
  ~DialogView() override;

  platform::HWND Handle() const { return hwnd_; }
  platform::UINT TemplateId() const { return template_id_; }
  BaseUnits Units() const { return units_; }
  // The widget of the control at this position of the template, or null.
  QWidget* ControlWidget(std::size_t index) const;

  void FollowDialog(platform::DialogChange change);
  void FollowControl(platform::Control& control, platform::ControlChange change);
  // The dialog has left the screen for good.
  void LeaveScreen();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void PostToDialog(std::function<void(platform::Dialog&)> action) override;
  platform::ControlColors ColorsOf(const platform::Control& control) override;

  void FollowVisibility();
  void FollowIcon();
  void PlaceOnScreen();
  void PressDefaultButton();

  platform::Dialog& dialog_;
  const platform::HWND hwnd_;
  const platform::DWORD thread_id_;
  const platform::UINT template_id_;
  BaseUnits units_;
  std::vector<std::unique_ptr<ControlView>> controls_;  // in template order
  std::unique_ptr<QMenu> system_menu_;
  bool left_screen_ = false;
  bool placed_ = false;
  bool painted_ = false;
};

}  // namespace gui
