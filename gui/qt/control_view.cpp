#include "gui/qt/control_view.h"

#include <functional>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>

#include "gui/qt/qt_font.h"
#include "gui/qt/resource_image.h"
#include "gui/qt/static_text.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/edit.h"
#include "platform/ui/progress_bar.h"

namespace gui {

using platform::ControlChange;
using platform::ControlKind;
using platform::ControlStyle;

QString DisplayText(std::string_view text) {
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  shown.remove(QLatin1Char('\r'));
  return shown;
}

namespace {

QPalette WithTextColor(QPalette palette, const std::optional<QColor>& color,
                       QPalette::ColorRole role) {
  if (color) {
    palette.setColor(QPalette::Active, role, *color);
    palette.setColor(QPalette::Inactive, role, *color);
  }
  return palette;
}

// Check boxes and radio buttons that leave their check to the model: a click only tells the
// dialog, and the model's answer is what the widget shows.
template <class QtButton>
class ModelCheckedButton final : public QtButton {
 public:
  explicit ModelCheckedButton(QWidget* parent) : QtButton(parent) {
    QtButton::setAutoExclusive(false);
  }

 protected:
  void nextCheckState() override {}
  // The whole control takes the click, not only its mark and text.
  bool hitButton(const QPoint& position) const override {
    return QtButton::rect().contains(position);
  }
};

class ButtonView final : public ControlView {
 public:
  ButtonView(platform::Control& control, std::size_t index, ControlHostView& host, QWidget* parent)
      : ControlView(control, index, host, MakeWidget(control, parent)) {
    button_ = static_cast<QAbstractButton*>(Widget());
    if (auto* push = qobject_cast<QPushButton*>(button_)) {
      push->setDefault(control.HasStyle(ControlStyle::kDefaultButton));
      push->setAutoDefault(false);
    }
    QObject::connect(button_, &QAbstractButton::clicked, button_, [this] {
      PostUserAction<platform::Button>([](platform::Button& button) { button.Click(); });
    });
  }

 protected:
  void FollowText() override { button_->setText(DisplayText(Control().GetWindowText())); }
  void FollowKindSpecific(ControlChange change) override {
    if (change == ControlChange::kCheck && button_->isCheckable()) {
      const auto& model = static_cast<const platform::Button&>(Control());
      button_->setChecked(model.GetCheck() == platform::BST_CHECKED);
    }
  }
  // A check box or radio button keeps the middle of its place but is never lower than its
  // font's line: the program's large fonts would otherwise lose their descenders.
  QRect Geometry(BaseUnits units) const override {
    QRect placed = ControlView::Geometry(units);
    const int missing = CharacterHeight(button_->font()) - placed.height();
    if (button_->isCheckable() && missing > 0) {
      placed.adjust(0, -missing / 2, 0, missing - missing / 2);
    }
    return placed;
  }
  void FollowColors() override {
    if (!qobject_cast<QPushButton*>(button_)) {
      button_->setPalette(WithTextColor(QPalette(), TextColor(), QPalette::WindowText));
    }
  }

 private:
  static QWidget* MakeWidget(const platform::Control& control, QWidget* parent) {
    switch (control.Kind()) {
      case ControlKind::kCheckBox: {
        auto* box = new ModelCheckedButton<QCheckBox>(parent);
        box->setCheckable(true);
        return box;
      }
      case ControlKind::kRadioButton: {
        auto* radio = new ModelCheckedButton<QRadioButton>(parent);
        radio->setCheckable(true);
        return radio;
      }
      default:
        return new QPushButton(parent);
    }
  }

  QAbstractButton* button_;
};

class StaticView final : public ControlView {
 public:
  StaticView(platform::Control& control, std::size_t index, ControlHostView& host, QWidget* parent)
      : ControlView(control, index, host, new StaticText(parent)) {
    text_ = static_cast<StaticText*>(Widget());
    text_->SetRightAligned(control.HasStyle(ControlStyle::kRightAligned));
  }

 protected:
  void FollowText() override { text_->SetText(DisplayText(Control().GetWindowText())); }
  void FollowColors() override { text_->SetTextColor(TextColor()); }

 private:
  StaticText* text_;
};

class GroupBoxView final : public ControlView {
 public:
  GroupBoxView(platform::Control& control, std::size_t index, ControlHostView& host,
               QWidget* parent)
      : ControlView(control, index, host, new QGroupBox(parent)) {}

 protected:
  void FollowText() override {
    static_cast<QGroupBox*>(Widget())->setTitle(DisplayText(Control().GetWindowText()));
  }
};

class MultiLineEditView final : public ControlView {
 public:
  MultiLineEditView(platform::Control& control, std::size_t index, ControlHostView& host,
                    QWidget* parent)
      : ControlView(control, index, host, new QPlainTextEdit(parent)) {
    edit_ = static_cast<QPlainTextEdit*>(Widget());
    edit_->setReadOnly(control.HasStyle(ControlStyle::kReadOnly));
    edit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setVerticalScrollBarPolicy(control.HasStyle(ControlStyle::kVerticalScroll)
                                          ? Qt::ScrollBarAlwaysOn
                                          : Qt::ScrollBarAlwaysOff);
    if (!control.HasStyle(ControlStyle::kBorder)) {
      edit_->setFrameShape(QFrame::NoFrame);
    }
    if (edit_->isReadOnly()) {
      // A read-only field is drawn on the dialog's face, not on the white of an input.
      QPalette palette = edit_->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit_->setPalette(palette);
    } else {
      QObject::connect(edit_, &QPlainTextEdit::textChanged, edit_, [this] {
        if (updating_) {
          return;
        }
        const std::string typed = edit_->toPlainText().toStdString();
        PostUserAction<platform::Edit>(
            [typed](platform::Edit& model) { model.SetWindowText(typed); });
      });
    }
  }

 protected:
  void FollowText() override {
    const QString text = DisplayText(Control().GetWindowText());
    if (edit_->toPlainText() != text) {
      updating_ = true;
      edit_->setPlainText(text);
      updating_ = false;
    }
    FollowScroll();
  }
  void FollowKindSpecific(ControlChange change) override {
    if (change == ControlChange::kScroll) {
      FollowScroll();
    }
  }
  void FollowColors() override {
    edit_->setPalette(WithTextColor(edit_->palette(), TextColor(), QPalette::Text));
  }

 private:
  void FollowScroll() {
    const auto& model = static_cast<const platform::Edit&>(Control());
    QScrollBar* bar = edit_->verticalScrollBar();
    // The last line first means "scrolled to the end": show the end of the text.
    const int first = model.GetFirstVisibleLine();
    bar->setValue(first >= model.GetLineCount() - 1 && first > 0 ? bar->maximum() : first);
  }

  QPlainTextEdit* edit_;
  bool updating_ = false;
};

class LineEditView final : public ControlView {
 public:
  LineEditView(platform::Control& control, std::size_t index, ControlHostView& host,
               QWidget* parent)
      : ControlView(control, index, host, new QLineEdit(parent)) {
    edit_ = static_cast<QLineEdit*>(Widget());
    edit_->setReadOnly(control.HasStyle(ControlStyle::kReadOnly));
    edit_->setFrame(control.HasStyle(ControlStyle::kBorder));
    if (edit_->isReadOnly()) {
      QPalette palette = edit_->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit_->setPalette(palette);
    } else {
      QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this](const QString& text) {
        const std::string typed = text.toStdString();
        PostUserAction<platform::Edit>(
            [typed](platform::Edit& model) { model.SetWindowText(typed); });
      });
    }
  }

 protected:
  void FollowText() override {
    const QString text = DisplayText(Control().GetWindowText());
    if (edit_->text() != text) {
      edit_->setText(text);
      edit_->setCursorPosition(0);
    }
  }
  void FollowColors() override {
    edit_->setPalette(WithTextColor(edit_->palette(), TextColor(), QPalette::Text));
  }

 private:
  QLineEdit* edit_;
};

// A combo box that says when its list closes, so a list the user closes without choosing is
// closed in the model too.
class ClosingComboBox final : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> on_popup_hidden;

  void hidePopup() override {
    const bool was_shown = view() != nullptr && view()->isVisible();
    QComboBox::hidePopup();
    if (was_shown && on_popup_hidden) on_popup_hidden();
  }
};

class ComboBoxView final : public ControlView {
 public:
  ComboBoxView(platform::Control& control, std::size_t index, ControlHostView& host,
               QWidget* parent)
      : ControlView(control, index, host, new ClosingComboBox(parent)) {
    closing_ = static_cast<ClosingComboBox*>(Widget());
    combo_ = closing_;
    combo_->setEditable(false);
    closing_->on_popup_hidden = [this] {
      PostUserAction<platform::ComboBox>([](platform::ComboBox& model) {
        if (model.GetDroppedState() != platform::FALSE) model.ShowDropDown(platform::FALSE);
      });
    };
    activated_ = QObject::connect(combo_, &QComboBox::activated, combo_, [this](int chosen) {
      PostUserAction<platform::ComboBox>(
          [chosen](platform::ComboBox& model) { model.ChooseItem(chosen); });
      // Until the model has taken the choice, the list shows the model's selection.
      FollowSelection();
    });
  }
  // The widget outlives this view while its window is taken down, and closes its list then.
  ~ComboBoxView() override {
    if (closing_) closing_->on_popup_hidden = nullptr;
    QObject::disconnect(activated_);
  }
  ComboBoxView(const ComboBoxView&) = delete;
  ComboBoxView& operator=(const ComboBoxView&) = delete;

 protected:
  void FollowText() override {}
  void FollowKindSpecific(ControlChange change) override {
    switch (change) {
      case ControlChange::kItems:
        FollowItems();
        break;
      case ControlChange::kSelection:
        FollowSelection();
        break;
      case ControlChange::kDropDown:
        FollowDropDown();
        break;
      default:
        break;
    }
  }

  // The template's height includes the dropped list; the closed box is as high as its font
  // needs.
  QRect Geometry(BaseUnits units) const override {
    QRect placed = MapDialogRect(Control().Template().rect, units);
    placed.setHeight(std::min(combo_->sizeHint().height(), placed.height()));
    return placed;
  }
  void Placed(BaseUnits units) override {
    dropped_height_ = MapDialogRect(Control().Template().rect, units).height();
    FollowListHeight();
  }

 private:
  void FollowItems() {
    const auto& model = static_cast<const platform::ComboBox&>(Control());
    combo_->clear();
    for (const std::string& item : model.Items()) {
      combo_->addItem(DisplayText(item));
    }
    FollowSelection();
  }
  // The dropped list takes the rest of the template's height.
  void FollowListHeight() {
    const int item_height = std::max(combo_->fontMetrics().height(), 1);
    combo_->setMaxVisibleItems(std::max(1, (dropped_height_ - combo_->height()) / item_height));
  }
  void FollowSelection() {
    combo_->setCurrentIndex(static_cast<const platform::ComboBox&>(Control()).GetCurSel());
  }
  void FollowDropDown() {
    if (static_cast<const platform::ComboBox&>(Control()).GetDroppedState() != platform::FALSE) {
      combo_->showPopup();
    } else {
      combo_->hidePopup();
    }
  }

  QComboBox* combo_;
  // The list's callback needs this view; the widget may outlive it.
  QPointer<ClosingComboBox> closing_;
  QMetaObject::Connection activated_;
  int dropped_height_ = 0;
};

class ProgressBarView final : public ControlView {
 public:
  ProgressBarView(platform::Control& control, std::size_t index, ControlHostView& host,
                  QWidget* parent)
      : ControlView(control, index, host, new QProgressBar(parent)) {
    bar_ = static_cast<QProgressBar*>(Widget());
    bar_->setTextVisible(false);
  }

 protected:
  void FollowText() override {}
  void FollowKindSpecific(ControlChange change) override {
    if (change != ControlChange::kRange && change != ControlChange::kPosition) {
      return;
    }
    const auto& model = static_cast<const platform::ProgressBar&>(Control());
    // An empty range would make Qt draw a busy bar; the model means an empty one.
    const int lower = model.GetRangeLower();
    const int upper = std::max(model.GetRangeUpper(), lower + 1);
    bar_->setRange(lower, upper);
    bar_->setValue(std::clamp(model.GetPos(), lower, upper));
  }

 private:
  QProgressBar* bar_;
};

class PictureWidget final : public QWidget {
 public:
  PictureWidget(QImage image, QWidget* parent) : QWidget(parent), image_(std::move(image)) {}

  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image_);
  }

 private:
  QImage image_;
};

class PictureView final : public ControlView {
 public:
  PictureView(platform::Control& control, std::size_t index, ControlHostView& host, QWidget* parent)
      : ControlView(control, index, host,
                    new PictureWidget(ResourceImage(control.Template().image_resource), parent)) {}

 protected:
  void FollowText() override {}
  // A picture is shown at its own size, from the template's top-left corner.
  QRect Geometry(BaseUnits units) const override {
    const QRect placed = MapDialogRect(Control().Template().rect, units);
    const QImage& image = static_cast<const PictureWidget*>(Widget())->Image();
    return image.isNull() ? placed : QRect(placed.topLeft(), image.size());
  }
};

// A hosted component has no face of its own here.
class PlaceholderView final : public ControlView {
 public:
  PlaceholderView(platform::Control& control, std::size_t index, ControlHostView& host,
                  QWidget* parent)
      : ControlView(control, index, host, new QFrame(parent)) {}

 protected:
  void FollowText() override {}
};

}  // namespace

std::unique_ptr<ControlView> ControlView::Create(platform::Control& control, std::size_t index,
                                                 ControlHostView& host, QWidget* parent) {
  switch (control.Kind()) {
    case ControlKind::kPushButton:
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      return std::make_unique<ButtonView>(control, index, host, parent);
    case ControlKind::kStatic:
      return std::make_unique<StaticView>(control, index, host, parent);
    case ControlKind::kGroupBox:
      return std::make_unique<GroupBoxView>(control, index, host, parent);
    case ControlKind::kEdit:
      if (control.HasStyle(ControlStyle::kMultiLine)) {
        return std::make_unique<MultiLineEditView>(control, index, host, parent);
      }
      return std::make_unique<LineEditView>(control, index, host, parent);
    case ControlKind::kComboBox:
      return std::make_unique<ComboBoxView>(control, index, host, parent);
    case ControlKind::kProgressBar:
      return std::make_unique<ProgressBarView>(control, index, host, parent);
    case ControlKind::kPicture:
      return std::make_unique<PictureView>(control, index, host, parent);
    case ControlKind::kCustom:
      break;
  }
  return std::make_unique<PlaceholderView>(control, index, host, parent);
}

ControlView::ControlView(platform::Control& control, std::size_t index, ControlHostView& host,
                         QWidget* widget)
    : control_(control), index_(index), host_(host), widget_(widget) {
  widget_->setObjectName(QStringLiteral("control_%1").arg(control.GetDlgCtrlID()));
  widget_->setProperty("control_index", static_cast<qulonglong>(index));
}

QRect ControlView::Geometry(BaseUnits units) const {
  return MapDialogRect(control_.Template().rect, units);
}

void ControlView::Place(BaseUnits units) {
  units_ = units;
  widget_->setGeometry(Geometry(units));
  Placed(units);
}

void ControlView::Follow(ControlChange change) {
  Apply(change);
  // Every change may be the moment the dialog's colour hook decides otherwise.
  AskColors();
}

void ControlView::FollowAll() {
  for (const ControlChange change :
       {ControlChange::kFont, ControlChange::kText, ControlChange::kEnabled, ControlChange::kItems,
        ControlChange::kRange, ControlChange::kCheck, ControlChange::kScroll,
        ControlChange::kVisible}) {
    Apply(change);
  }
  AskColors();
}

void ControlView::Apply(ControlChange change) {
  switch (change) {
    case ControlChange::kText:
      FollowText();
      break;
    case ControlChange::kEnabled:
      widget_->setEnabled(control_.IsWindowEnabled() != platform::FALSE);
      break;
    case ControlChange::kVisible:
      widget_->setVisible(control_.IsWindowVisible() != platform::FALSE);
      break;
    case ControlChange::kFont:
      widget_->setFont(ToQFont(control_.GetFont()));
      if (units_) {
        Place(*units_);
      }
      break;
    default:
      FollowKindSpecific(change);
      break;
  }
}

void ControlView::AskColors() {
  const platform::ControlColors colors = host_.ColorsOf(control_);
  std::optional<QColor> color;
  if (const auto text_color = colors.TextColor()) {
    color = QColor(platform::GetRValue(*text_color), platform::GetGValue(*text_color),
                   platform::GetBValue(*text_color));
  }
  if (color != text_color_) {
    text_color_ = color;
    FollowColors();
  }
}

void ControlView::PostUserActionTo(std::function<void(platform::Control&)> action) {
  host_.PostToDialog([index = index_, action = std::move(action)](platform::Dialog& dialog) {
    const auto& controls = dialog.Controls();
    if (index >= controls.size()) {
      return;
    }
    platform::Control& control = *controls[index];
    // Input reaches only what the user can reach when the program takes it.
    if (dialog.IsWindowEnabled() != platform::FALSE &&
        control.IsWindowEnabled() != platform::FALSE &&
        control.IsWindowVisible() != platform::FALSE) {
      action(control);
    }
  });
}

}  // namespace gui
