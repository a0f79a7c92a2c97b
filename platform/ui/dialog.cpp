#include "platform/ui/dialog.h"

#include <exception>

#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/ui/dialog_windows.h"
#include "platform/ui/message_box.h"

namespace platform {

namespace {

// System commands keep their low four bits for the system's own use.
constexpr UINT kSystemCommandMask = 0xFFF0;

}  // namespace

void DataExchange::Radio(int first_id, int& index) {
  if (save_) {
    index = dialog_.GetRadioGroupIndex(first_id);
  } else {
    dialog_.SetRadioGroupIndex(first_id, index);
  }
}

void DataExchange::Text(int id, std::string& text) {
  if (save_) {
    if (dialog_.GetDlgItem(id) != nullptr) {
      text = dialog_.GetDlgItemText(id);
    }
  } else {
    dialog_.SetDlgItemText(id, text);
  }
}

Dialog::Dialog(UINT template_id, HWND parent) : template_id_(template_id), parent_(parent) {}

Dialog::Dialog(DialogTemplate dialog_template, HWND parent)
    : template_id_(dialog_template.id),
      given_template_(std::move(dialog_template)),
      parent_(parent) {}

Dialog::~Dialog() { DestroyWindow(); }

INT_PTR Dialog::DoModal() {
  if (!CreateWindowFromTemplate(true)) {
    return -1;
  }
  SendMessage(WM_INITDIALOG);
  if (!ended_) {
    RunModalLoop([this] { return ended_; });
  }
  const INT_PTR result = ended_ ? result_ : -1;
  DestroyWindow();
  return result;
}

BOOL Dialog::Create(UINT template_id, HWND parent) {
  if (template_id != 0 && template_id != template_id_) {
    template_id_ = template_id;
    given_template_.reset();
  }
  parent_ = parent;
  if (!CreateWindowFromTemplate(false)) {
    return FALSE;
  }
  SendMessage(WM_INITDIALOG);
  return TRUE;
}

bool Dialog::CreateWindowFromTemplate(bool modal) {
  if (GetSafeHwnd() != nullptr) {
    return false;
  }
  std::optional<DialogTemplate> found =
      given_template_ ? given_template_ : FindDialogTemplate(template_id_);
  if (!found) {
    return false;
  }
  template_ = std::move(*found);
  modal_ = modal;
  ended_ = false;
  result_ = -1;
  title_ = template_.title;
  font_ = LogFont{};
  font_.face = template_.font.face;
  font_.point_size = template_.font.point_size;
  visible_ = modal || HasFlag(template_.style, DialogStyle::kVisible);
  enabled_ = true;
  icons_ = {};
  system_menu_ = HasFlag(template_.style, DialogStyle::kSystemMenu) ? MakeSystemMenu() : nullptr;
  controls_.clear();
  for (const ControlTemplate& control_template : template_.controls) {
    controls_.push_back(MakeControl(control_template, *this, font_));
  }
  const HWND hwnd = CreateHandle();
  on_screen_ = visible_;
  RecordDialogWindow(hwnd, template_.id, GetCurrentThreadId(), on_screen_);
  NotifyDialogObservers([this](DialogObserver& observer) { observer.OnDialogCreated(*this); });
  return true;
}

std::unique_ptr<Menu> Dialog::MakeSystemMenu() {
  auto menu = std::make_unique<Menu>([this] { NotifyChange(DialogChange::kSystemMenu); });
  menu->AppendMenu(MF_STRING, SC_MOVE, "&Move");
  menu->AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  return menu;
}

BOOL Dialog::DestroyWindow() {
  const HWND hwnd = GetSafeHwnd();
  if (hwnd == nullptr) {
    return FALSE;
  }
  LeaveScreen(modal_ ? result_ : 0);
  NotifyDialogObservers([this](DialogObserver& observer) { observer.OnDialogDestroyed(*this); });
  ForgetDialogWindow(hwnd);
  DestroyHandle();
  controls_.clear();
  system_menu_.reset();
  return TRUE;
}

void Dialog::EndDialog(int result) {
  if (GetSafeHwnd() == nullptr) {
    return;
  }
  if (!modal_) {
    ShowWindow(SW_HIDE);
    return;
  }
  if (ended_) {
    return;
  }
  ended_ = true;
  result_ = result;
  LeaveScreen(result);
}

void Dialog::LeaveScreen(INT_PTR result) {
  if (!on_screen_) {
    return;
  }
  on_screen_ = false;
  SetDialogOnScreen(GetSafeHwnd(), false);
  NotifyDialogObservers(
      [this, result](DialogObserver& observer) { observer.OnDialogClosed(*this, result); });
}

void Dialog::NotifyChange(DialogChange change) {
  if (GetSafeHwnd() == nullptr) {
    return;
  }
  NotifyDialogObservers(
      [this, change](DialogObserver& observer) { observer.OnDialogChanged(*this, change); });
}

std::optional<std::size_t> Dialog::IndexOf(int id) const {
  for (std::size_t index = 0; index < controls_.size(); ++index) {
    if (controls_[index]->GetDlgCtrlID() == id) {
      return index;
    }
  }
  return std::nullopt;
}

Control* Dialog::GetDlgItem(int id) const {
  const auto index = IndexOf(id);
  return index ? controls_[*index].get() : nullptr;
}

BOOL Dialog::SetDlgItemText(int id, std::string_view text) {
  Control* control = GetDlgItem(id);
  if (control == nullptr) {
    return FALSE;
  }
  control->SetWindowText(text);
  return TRUE;
}

std::string Dialog::GetDlgItemText(int id) const {
  const Control* control = GetDlgItem(id);
  return control != nullptr ? control->GetWindowText() : std::string();
}

BOOL Dialog::CheckDlgButton(int id, int state) {
  auto* button = GetDlgItemAs<Button>(id);
  if (button == nullptr) {
    return FALSE;
  }
  button->SetCheck(state);
  return TRUE;
}

UINT Dialog::IsDlgButtonChecked(int id) const {
  const auto* button = GetDlgItemAs<Button>(id);
  return button != nullptr ? static_cast<UINT>(button->GetCheck()) : 0U;
}

std::vector<Button*> Dialog::RadioGroupAt(std::size_t index) const {
  // A group runs from a control marked as the first of a group up to the next such control.
  std::size_t first = index;
  while (first > 0 && !controls_[first]->HasStyle(ControlStyle::kGroup)) {
    --first;
  }
  std::vector<Button*> radios;
  for (std::size_t member = first; member < controls_.size(); ++member) {
    Control& control = *controls_[member];
    if (member != first && control.HasStyle(ControlStyle::kGroup)) {
      break;
    }
    if (control.Kind() == ControlKind::kRadioButton) {
      radios.push_back(static_cast<Button*>(&control));
    }
  }
  return radios;
}

int Dialog::GetRadioGroupIndex(int first_id) const {
  const auto index = IndexOf(first_id);
  if (!index) {
    return -1;
  }
  const std::vector<Button*> radios = RadioGroupAt(*index);
  for (std::size_t position = 0; position < radios.size(); ++position) {
    if (radios[position]->GetCheck() == BST_CHECKED) {
      return static_cast<int>(position);
    }
  }
  return -1;
}

void Dialog::SetRadioGroupIndex(int first_id, int index) {
  const auto first = IndexOf(first_id);
  if (!first) {
    return;
  }
  const std::vector<Button*> radios = RadioGroupAt(*first);
  for (std::size_t position = 0; position < radios.size(); ++position) {
    radios[position]->SetCheck(static_cast<int>(position) == index ? BST_CHECKED : BST_UNCHECKED);
  }
}

BOOL Dialog::UpdateData(BOOL save) {
  DataExchange exchange(*this, save != FALSE);
  DoDataExchange(exchange);
  return TRUE;
}

void Dialog::SetWindowText(std::string_view title) {
  if (title_ == title) {
    return;
  }
  title_ = std::string(title);
  NotifyChange(DialogChange::kTitle);
}

BOOL Dialog::ShowWindow(int show_command) {
  const bool was_visible = visible_;
  visible_ = show_command != SW_HIDE;
  if (visible_ != was_visible) {
    NotifyChange(DialogChange::kVisible);
  }
  return was_visible ? TRUE : FALSE;
}

BOOL Dialog::EnableWindow(BOOL enable) {
  const bool was_enabled = enabled_;
  enabled_ = enable != FALSE;
  if (enabled_ != was_enabled) {
    NotifyChange(DialogChange::kEnabled);
  }
  return was_enabled ? FALSE : TRUE;
}

HICON Dialog::SetIcon(HICON icon, BOOL big) {
  HICON& slot = icons_[big != FALSE ? 1 : 0];
  const HICON previous = slot;
  slot = icon;
  NotifyChange(DialogChange::kIcon);
  return previous;
}

HICON Dialog::GetIcon(BOOL big) const { return icons_[big != FALSE ? 1 : 0]; }

Menu* Dialog::GetSystemMenu(BOOL /*revert*/) const { return system_menu_.get(); }

int Dialog::MessageBox(std::string_view text, std::string_view caption, UINT flags) const {
  const std::string title = caption.empty() ? GetApplicationTitle() : std::string(caption);
  return platform::MessageBox(GetSafeHwnd(), text, title, flags);
}

ControlColors Dialog::ColorsOf(const Control& control) {
  ControlColors colors;
  OnCtlColor(colors, control);
  return colors;
}

bool Dialog::CanChooseSystemCommand(UINT command) const {
  return system_menu_ && system_menu_->CanChoose(command);
}

bool Dialog::ChooseSystemCommand(UINT command) {
  if (!CanChooseSystemCommand(command)) {
    return false;
  }
  SendMessage(WM_SYSCOMMAND, command);
  return true;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A handler's exception is reported as the framework does and the message loop goes on:
  // a slip in one handler must not end the program with the console half upgraded.
  try {
    return HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    platform::MessageBox(nullptr, error.what(), GetApplicationTitle(), MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (RouteMessage(message, wParam, lParam, result)) {
    return result;
  }
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (HiWord(wParam) == BN_CLICKED && LoWord(wParam) == IDOK) {
        OnOK();
      } else if (HiWord(wParam) == BN_CLICKED && LoWord(wParam) == IDCANCEL) {
        OnCancel();
      }
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    default:
      return 0;
  }
}

BOOL Dialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void Dialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::OnClose() { SendMessage(WM_COMMAND, MakeCommandParam(IDCANCEL, BN_CLICKED)); }

void Dialog::OnSysCommand(UINT command, LPARAM /*lParam*/) {
  if ((command & kSystemCommandMask) != SC_CLOSE) {
    return;
  }
  if (system_menu_ && !system_menu_->CanChoose(SC_CLOSE)) {
    return;
  }
  SendMessage(WM_CLOSE);
}

void Dialog::OnCtlColor(ControlColors& /*colors*/, const Control& /*control*/) {}

void Dialog::DoDataExchange(DataExchange& /*exchange*/) {}

bool Dialog::RouteMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                          LRESULT& /*result*/) {
  return false;
}

void Dialog::OnControlChanged(Control& control, ControlChange change) {
  if (GetSafeHwnd() == nullptr) {
    return;
  }
  NotifyDialogObservers([this, &control, change](DialogObserver& observer) {
    observer.OnControlChanged(*this, control, change);
  });
}

void Dialog::OnControlNotify(Control& control, UINT notification) {
  SendMessage(WM_COMMAND,
              MakeCommandParam(static_cast<UINT>(control.GetDlgCtrlID()), notification));
}

void Dialog::OnRadioChecked(Button& button) {
  for (std::size_t index = 0; index < controls_.size(); ++index) {
    if (controls_[index].get() != &button) {
      continue;
    }
    for (Button* radio : RadioGroupAt(index)) {
      if (radio != &button) {
        radio->SetCheck(BST_UNCHECKED);
      }
    }
    return;
  }
}

}  // namespace platform
