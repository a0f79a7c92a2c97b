#pragma once

// A dialog made from a template (the framework's dialog class): its controls, kept by id, the
// window's own state, the modal run and the default handling of OK, Cancel, Close and the system
// menu. Everything here runs on the thread that created the window.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread/window.h"
#include "platform/ui/button.h"
#include "platform/ui/control.h"
#include "platform/ui/control_colors.h"
#include "platform/ui/dialog_observer.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/font.h"
#include "platform/ui/icon.h"
#include "platform/ui/menu.h"
#include "platform/ui/ui_constants.h"

namespace platform {

class Dialog;

// Moves values between the controls and members of the dialog object: the controls are loaded
// at initialisation and read back on OK.
class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool save) : dialog_(dialog), save_(save) {}

  bool IsSaving() const { return save_; }
  // The radio group that begins at `first_id`: the index of its checked button, -1 when none.
  void Radio(int first_id, int& index);
  void Text(int id, std::string& text);

 private:
  Dialog& dialog_;
  bool save_;
};

class Dialog : public Window, private ControlHost {
 public:
  // The template is looked up by id when the window is created.
  explicit Dialog(UINT template_id = 0, HWND parent = nullptr);
  explicit Dialog(DialogTemplate dialog_template, HWND parent = nullptr);
  ~Dialog() override;

  // Creates the window on the calling thread, sends WM_INITDIALOG and handles the thread's
  // messages until EndDialog. Returns EndDialog's result; -1 when the template is unknown or the
  // thread was told to quit meanwhile.
  virtual INT_PTR DoModal();
  // A modeless window (a hidden host, for instance); it lives until DestroyWindow. A template id
  // of 0 keeps the constructor's template.
  BOOL Create(UINT template_id = 0, HWND parent = nullptr);
  BOOL DestroyWindow();
  // Ends the modal run with `result` (the first call decides); a modeless dialog is hidden.
  void EndDialog(int result);

  // Null when the template has no control with this id.
  Control* GetDlgItem(int id) const;
  // Null also when the control is of another class.
  template <class ControlClass>
  ControlClass* GetDlgItemAs(int id) const {
    return dynamic_cast<ControlClass*>(GetDlgItem(id));
  }
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
  BOOL SetDlgItemText(int id, std::string_view text);
  std::string GetDlgItemText(int id) const;
  BOOL CheckDlgButton(int id, int state);
  UINT IsDlgButtonChecked(int id) const;
  int GetRadioGroupIndex(int first_id) const;
  // -1 clears every button of the group.
  void SetRadioGroupIndex(int first_id, int index);
  BOOL UpdateData(BOOL save = TRUE);

  void SetWindowText(std::string_view title);
  std::string GetWindowText() const { return title_; }
  BOOL ShowWindow(int show_command);
  BOOL IsWindowVisible() const { return visible_ ? TRUE : FALSE; }
  BOOL EnableWindow(BOOL enable);
  BOOL IsWindowEnabled() const { return enabled_ ? TRUE : FALSE; }
  // The template's font, which sets the size of a dialog unit.
  const LogFont& GetFont() const { return font_; }
  HICON SetIcon(HICON icon, BOOL big);
  HICON GetIcon(BOOL big) const;
  // Null when the window has no system menu.
  Menu* GetSystemMenu(BOOL revert = FALSE) const;
  // A message box owned by this window; an empty caption gives the application's title.
  int MessageBox(std::string_view text, std::string_view caption = {}, UINT flags = MB_OK) const;

  UINT GetTemplateId() const { return template_.id; }
  // The template the window was made from (valid while the window exists).
  const DialogTemplate& Template() const { return template_; }
  HWND GetParentHwnd() const { return parent_; }
  bool IsModal() const { return modal_; }
  // What the colour hook decides for a control; views ask whenever they draw it.
  ControlColors ColorsOf(const Control& control);
  // The user picks a system command (a system-menu item or the close box). False, and nothing
  // happens, when the window has no such item or it is greyed.
  bool ChooseSystemCommand(UINT command);
  bool CanChooseSystemCommand(UINT command) const;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Default: the Cancel command.
  virtual void OnClose();
  // Default: SC_CLOSE closes the window unless the Close item is greyed.
  virtual void OnSysCommand(UINT command, LPARAM lParam);
  virtual void OnCtlColor(ControlColors& colors, const Control& control);
  virtual void DoDataExchange(DataExchange& exchange);
  // The derived dialog's message table (see MessageMap); true when it handled the message.
  virtual bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateWindowFromTemplate(bool modal);
  std::unique_ptr<Menu> MakeSystemMenu();
  void NotifyChange(DialogChange change);
  void LeaveScreen(INT_PTR result);
  std::optional<std::size_t> IndexOf(int id) const;
  // The radio buttons of the group that contains the control at `index`.
  std::vector<Button*> RadioGroupAt(std::size_t index) const;

  void OnControlChanged(Control& control, ControlChange change) override;
  void OnControlNotify(Control& control, UINT notification) override;
  void OnRadioChecked(Button& button) override;

  UINT template_id_;
  std::optional<DialogTemplate> given_template_;
  DialogTemplate template_;
  HWND parent_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::string title_;
  bool visible_ = false;
  bool enabled_ = true;
  LogFont font_;
  std::array<HICON, 2> icons_{};
  std::unique_ptr<Menu> system_menu_;
  bool modal_ = false;
  bool ended_ = false;
  bool on_screen_ = false;
  INT_PTR result_ = -1;
};

}  // namespace platform
