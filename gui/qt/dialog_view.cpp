#include "gui/qt/dialog_view.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include "gui/qt/qt_font.h"
#include "gui/qt/resource_image.h"
#include "gui/qt/view_timing.h"
#include "gui/qt/window_pictures.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/thread/window.h"
#include "platform/ui/button.h"
#include "platform/ui/icon.h"
#include "platform/ui/menu.h"

namespace gui {

using platform::DialogStyle;

namespace {

Qt::WindowFlags WindowFlagsOf(const platform::DialogTemplate& dialog_template, bool owned) {
  Qt::WindowFlags flags = owned ? Qt::Dialog : Qt::Window;
  if (!HasFlag(dialog_template.style, DialogStyle::kCaption)) {
    return flags | Qt::FramelessWindowHint;
  }
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  // Without a system menu the window has no close box either.
  if (HasFlag(dialog_template.style, DialogStyle::kSystemMenu)) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  }
  return flags;
}

void ClickButtonAt(platform::Dialog& dialog, std::size_t index) {
  const auto& controls = dialog.Controls();
  if (index >= controls.size()) {
    return;
  }
  auto* button = dynamic_cast<platform::Button*>(controls[index].get());
  if (button != nullptr && button->IsWindowEnabled() != platform::FALSE &&
      button->IsWindowVisible() != platform::FALSE) {
    button->Click();
  }
}

}  // namespace

DialogView::DialogView(platform::Dialog& dialog, QWidget* owner)
    : QWidget(owner, WindowFlagsOf(dialog.Template(), owner != nullptr)),
      dialog_(dialog),
      hwnd_(dialog.GetSafeHwnd()),
      thread_id_(platform::GetWindowThreadId(hwnd_)),
      template_id_(dialog.GetTemplateId()) {
  setObjectName(QStringLiteral("dialog_%1").arg(template_id_));
  const QFont dialog_font = ToQFont(dialog.GetFont());
  setFont(dialog_font);
  units_ = BaseUnitsOf(dialog_font);
  const platform::DialogTemplate& dialog_template = dialog.Template();
  setFixedSize(MapDialogSize(dialog_template.width, dialog_template.height, units_));
  setWindowTitle(QString::fromStdString(dialog.GetWindowText()));
  if (dialog.IsModal()) {
    setWindowModality(Qt::ApplicationModal);
  }
  const auto& controls = dialog.Controls();
  for (std::size_t index = 0; index < controls.size(); ++index) {
    auto view = ControlView::Create(*controls[index], index, *this, this);
    view->FollowAll();
    view->Place(units_);
    controls_.push_back(std::move(view));
  }
  FollowIcon();
  FollowVisibility();
}

DialogView::~DialogView() = default;

QWidget* DialogView::ControlWidget(std::size_t index) const {
  return index < controls_.size() ? controls_[index]->Widget() : nullptr;
}

void DialogView::FollowDialog(platform::DialogChange change) {
  switch (change) {
    case platform::DialogChange::kTitle:
      setWindowTitle(QString::fromStdString(dialog_.GetWindowText()));
      break;
    case platform::DialogChange::kVisible:
      FollowVisibility();
      break;
    case platform::DialogChange::kEnabled:
      setEnabled(dialog_.IsWindowEnabled() != platform::FALSE);
      break;
    case platform::DialogChange::kFont:
      setFont(ToQFont(dialog_.GetFont()));
      break;
    case platform::DialogChange::kIcon:
      FollowIcon();
      break;
    case platform::DialogChange::kSystemMenu:
      // Read whenever the menu opens or the close box is used.
      break;
  }
}

void DialogView::FollowControl(platform::Control& control, platform::ControlChange change) {
  for (const auto& view : controls_) {
    if (&view->Model() == &control) {
      view->Follow(change);
      return;
    }
  }
}

void DialogView::LeaveScreen() {
  left_screen_ = true;
  hide();
}

void DialogView::FollowVisibility() {
  if (left_screen_ || dialog_.IsWindowVisible() == platform::FALSE) {
    hide();
    return;
  }
  if (!placed_) {
    PlaceOnScreen();
    placed_ = true;
    SaveFirstLookLater(*this, template_id_);
  }
  show();
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    raise();
    activateWindow();
  }
}

void DialogView::PlaceOnScreen() {
  QRect area;
  if (QWidget* owner = parentWidget(); owner != nullptr && owner->isVisible()) {
    area = owner->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) {
    move(area.center() - rect().center());
  }
}

void DialogView::FollowIcon() {
  platform::HICON icon = dialog_.GetIcon(platform::TRUE);
  if (icon == nullptr) {
    icon = dialog_.GetIcon(platform::FALSE);
  }
  const QImage image = ResourceImage(platform::IconResourceId(icon));
  if (!image.isNull()) {
    setWindowIcon(QIcon(QPixmap::fromImage(image)));
  }
}

void DialogView::PostToDialog(std::function<void(platform::Dialog&)> action) {
  platform::PostClosure(thread_id_, [hwnd = hwnd_, action = std::move(action)] {
    if (auto* dialog = dynamic_cast<platform::Dialog*>(platform::FromHandle(hwnd))) {
      action(*dialog);
    }
  });
}

platform::ControlColors DialogView::ColorsOf(const platform::Control& control) {
  return dialog_.ColorsOf(control);
}

void DialogView::closeEvent(QCloseEvent* event) {
  // The close box is the system menu's Close command; the dialog decides (a greyed Close does
  // nothing).
  event->ignore();
  PostToDialog([](platform::Dialog& dialog) { dialog.ChooseSystemCommand(platform::SC_CLOSE); });
}

void DialogView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      PostToDialog([](platform::Dialog& dialog) {
        dialog.SendMessage(platform::WM_COMMAND,
                           platform::MakeCommandParam(platform::IDCANCEL, platform::BN_CLICKED));
      });
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      PressDefaultButton();
      break;
    default:
      QWidget::keyPressEvent(event);
      break;
  }
}

void DialogView::PressDefaultButton() {
  // The push button that has the focus, else the template's default button, else OK.
  std::optional<std::size_t> chosen;
  for (std::size_t index = 0; index < controls_.size(); ++index) {
    QWidget* widget = controls_[index]->Widget();
    if (qobject_cast<QPushButton*>(widget) != nullptr && widget->hasFocus()) {
      chosen = index;
      break;
    }
    if (!chosen && controls_[index]->Model().HasStyle(platform::ControlStyle::kDefaultButton) &&
        widget->isVisible() && widget->isEnabled()) {
      chosen = index;
    }
  }
  if (chosen) {
    PostToDialog([index = *chosen](platform::Dialog& dialog) { ClickButtonAt(dialog, index); });
    return;
  }
  PostToDialog([](platform::Dialog& dialog) {
    dialog.SendMessage(platform::WM_COMMAND,
                       platform::MakeCommandParam(platform::IDOK, platform::BN_CLICKED));
  });
}

void DialogView::contextMenuEvent(QContextMenuEvent* event) {
  const platform::Menu* menu = dialog_.GetSystemMenu();
  if (menu == nullptr || (system_menu_ && system_menu_->isVisible())) {
    return;
  }
  // The window's system menu, offered where the title bar cannot offer it.
  system_menu_ = std::make_unique<QMenu>(this);
  for (const platform::MenuItem& item : menu->Items()) {
    if (item.separator) {
      system_menu_->addSeparator();
      continue;
    }
    QAction* action = system_menu_->addAction(QString::fromStdString(item.text));
    action->setEnabled(item.state == platform::MF_ENABLED);
    QObject::connect(action, &QAction::triggered, this, [this, command = item.id] {
      PostToDialog([command](platform::Dialog& dialog) { dialog.ChooseSystemCommand(command); });
    });
  }
  system_menu_->popup(event->globalPos());
}

void DialogView::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!painted_) {
    painted_ = true;
    NoteWindowShown(template_id_);
  }
}

}  // namespace gui
