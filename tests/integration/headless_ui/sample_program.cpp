// A small program on the platform for the headless end-to-end test: a main dialog with a
// button, a box, a file dialog, a list that the program can drop down, a check box, a progress
// bar, a one-shot timer, a worker thread that shows a box, the shell and the system menu, a
// second modal dialog with a radio group, and a third that asks a question while it
// initialises.

#include <iostream>
#include <string>

#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/thread/win_thread.h"
#include "platform/ui/application.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/message_map.h"
#include "platform/ui/progress_bar.h"
#include "platform/ui/shell.h"
#include "platform/ui/ui_environment.h"

namespace {

using namespace platform;

constexpr UINT kMainTemplate = 500;
constexpr UINT kOptionsTemplate = 600;
constexpr UINT kGreetingTemplate = 700;

constexpr int kAsk = 10;
constexpr int kBrowse = 11;
constexpr int kOptions = 12;
constexpr int kWorker = 13;
constexpr int kHelp = 14;
constexpr int kDisabled = 15;
constexpr int kGreeting = 17;
constexpr int kDropList = 18;
constexpr int kDelay = 19;
constexpr int kAnswerText = 20;
constexpr int kPathText = 21;
constexpr int kChoiceText = 22;
constexpr int kOptionsText = 23;
constexpr int kWorkerText = 24;
constexpr int kDelayText = 25;
constexpr int kList = 30;
constexpr int kProgress = 40;
constexpr int kVerbose = 50;
constexpr int kReady = 601;
constexpr int kSearching = 602;
constexpr int kNoSignal = 603;
constexpr int kNext = 610;
constexpr int kGreetingText = 701;
constexpr UINT kAboutCommand = 16;
constexpr UINT kWorkerAnswered = WM_USER + 1;
constexpr int kProgressEnd = 200;
constexpr int kProgressStart = 50;
constexpr UINT_PTR kDelayTimer = 1;
constexpr UINT kDelayMs = 300;

ControlTemplate Item(int id, ControlKind kind, std::string text,
                     ControlStyle style = ControlStyle::kNone) {
  ControlTemplate control;
  control.id = id;
  control.kind = kind;
  control.text = std::move(text);
  control.style = style;
  return control;
}

void RegisterTemplates() {
  DialogTemplate main;
  main.id = kMainTemplate;
  main.title = "Sample Main";
  main.font = {"Arial", 8};
  main.width = 300;
  main.height = 200;
  main.style = DialogStyle::kCaption | DialogStyle::kSystemMenu | DialogStyle::kModalFrame |
               DialogStyle::kAppWindow;
  main.controls = {Item(IDOK, ControlKind::kPushButton, "Exit", ControlStyle::kDefaultButton),
                   Item(kAsk, ControlKind::kPushButton, "Ask"),
                   Item(kBrowse, ControlKind::kPushButton, "Browse"),
                   Item(kOptions, ControlKind::kPushButton, "Options"),
                   Item(kWorker, ControlKind::kPushButton, "Worker"),
                   Item(kHelp, ControlKind::kPushButton, "Help"),
                   Item(kDisabled, ControlKind::kPushButton, "Disabled", ControlStyle::kDisabled),
                   Item(kGreeting, ControlKind::kPushButton, "Greeting"),
                   Item(kDropList, ControlKind::kPushButton, "Drop"),
                   Item(kDelay, ControlKind::kPushButton, "Delay"),
                   Item(kAnswerText, ControlKind::kStatic, ""),
                   Item(kPathText, ControlKind::kStatic, ""),
                   Item(kChoiceText, ControlKind::kStatic, ""),
                   Item(kOptionsText, ControlKind::kStatic, ""),
                   Item(kWorkerText, ControlKind::kStatic, ""),
                   Item(kDelayText, ControlKind::kStatic, ""),
                   Item(kList, ControlKind::kComboBox, ""),
                   Item(kProgress, ControlKind::kProgressBar, ""),
                   Item(kVerbose, ControlKind::kCheckBox, "Verbose")};
  RegisterDialogTemplate(main);

  DialogTemplate options;
  options.id = kOptionsTemplate;
  options.title = "Sample Options";
  options.font = {"MS Sans Serif", 8};
  options.width = 200;
  options.height = 120;
  options.style = DialogStyle::kCaption | DialogStyle::kSystemMenu | DialogStyle::kModalFrame;
  options.controls = {Item(kReady, ControlKind::kRadioButton, "Ready", ControlStyle::kGroup),
                      Item(kSearching, ControlKind::kRadioButton, "Searching"),
                      Item(kNoSignal, ControlKind::kRadioButton, "No Signal"),
                      Item(kNext, ControlKind::kPushButton, "&Next")};
  RegisterDialogTemplate(options);

  DialogTemplate greeting;
  greeting.id = kGreetingTemplate;
  greeting.title = "Sample Greeting";
  greeting.font = {"MS Sans Serif", 8};
  greeting.width = 160;
  greeting.height = 60;
  greeting.style = DialogStyle::kCaption | DialogStyle::kSystemMenu | DialogStyle::kModalFrame;
  greeting.controls = {Item(kGreetingText, ControlKind::kStatic, ""),
                       Item(IDOK, ControlKind::kPushButton, "OK", ControlStyle::kDefaultButton)};
  RegisterDialogTemplate(greeting);
}

// Shows one box without an owner, then tells the main window the answer. Deletes itself when
// its thread ends.
class SampleWorker : public WinThread {
 public:
  explicit SampleWorker(HWND main) : main_(main) {}

  BOOL InitInstance() override {
    const int answer = MessageBox(nullptr, "Worker says hi", "Sample Worker", MB_OK | MB_ICONERROR);
    PostMessage(main_, kWorkerAnswered, static_cast<WPARAM>(answer), 0);
    return FALSE;
  }

 private:
  HWND main_;
};

class OptionsDialog : public Dialog {
 public:
  explicit OptionsDialog(HWND main) : Dialog(kOptionsTemplate, main) {}

  int choice = -1;

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    GetSystemMenu()->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    return TRUE;
  }
  void DoDataExchange(DataExchange& exchange) override { exchange.Radio(kReady, choice); }
  bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    return kMessageMap.Route(*this, message, wParam, lParam, result);
  }

 private:
  void OnNext() {
    UpdateData(TRUE);
    if (choice == -1) {
      MessageBox("Choose one of the listed options and then click Next", "Sample", MB_OK);
      return;
    }
    // The follow-up shows before this dialog's modal run has ended.
    SendMessage(WM_CLOSE);
    platform::MessageBox(GetParentHwnd(), "You chose option " + std::to_string(choice), "Sample",
                         MB_OK | MB_ICONINFORMATION);
  }

  using Map = MessageMap<OptionsDialog>;
  static const Map kMessageMap;
};

const OptionsDialog::Map OptionsDialog::kMessageMap{
    Map::Button(kNext, &OptionsDialog::OnNext),
};

// Asks its question while it initialises, so the box opens right after the dialog.
class GreetingDialog : public Dialog {
 public:
  explicit GreetingDialog(HWND main) : Dialog(kGreetingTemplate, main) {}

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    const int answer = MessageBox("Say hello?", "Sample", MB_OKCANCEL);
    SetDlgItemText(kGreetingText, answer == IDOK ? "hello" : "no greeting");
    return TRUE;
  }
};

class MainDialog : public Dialog {
 public:
  MainDialog() : Dialog(kMainTemplate) {}

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    Menu* menu = GetSystemMenu();
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, kAboutCommand, "&About Sample...");
    for (const char* item : {"Alpha", "Beta", "Gamma"}) {
      GetDlgItemAs<ComboBox>(kList)->AddString(item);
    }
    GetDlgItemAs<ProgressBar>(kProgress)->SetRange32(0, kProgressEnd);
    GetDlgItemAs<ProgressBar>(kProgress)->SetPos(kProgressStart);
    return TRUE;
  }
  void OnCtlColor(ControlColors& colors, const Control& control) override {
    if (control.GetDlgCtrlID() == kAnswerText && last_answer_ == IDCANCEL) {
      colors.SetTextColor(RGB(255, 0, 0));
      colors.SetBkMode(TRANSPARENT);
    }
  }
  void OnSysCommand(UINT command, LPARAM lParam) override {
    if (command == kAboutCommand) {
      AfxMessageBox("Sample 1.0", MB_ICONINFORMATION);
      return;
    }
    Dialog::OnSysCommand(command, lParam);
  }
  bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    return kMessageMap.Route(*this, message, wParam, lParam, result);
  }

 private:
  void OnAsk() {
    last_answer_ =
        MessageBox("Proceed with the\r\n\"sample\"?", "Sample", MB_OKCANCEL | MB_ICONQUESTION);
    SetDlgItemText(kAnswerText, "answer " + std::to_string(last_answer_));
  }
  void OnBrowse() {
    FileDialog dialog(TRUE, {}, {}, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                      "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||", GetSafeHwnd());
    SetDlgItemText(kPathText, dialog.DoModal() == IDOK ? dialog.GetPathName() : "(cancelled)");
  }
  void OnListChange() {
    SetDlgItemText(kChoiceText, "chose " + GetDlgItem(kList)->GetWindowText());
  }
  void OnOptions() {
    OptionsDialog options(GetSafeHwnd());
    const INT_PTR result = options.DoModal();
    SetDlgItemText(kOptionsText, "options result " + std::to_string(result) + " choice " +
                                     std::to_string(options.choice));
  }
  void OnGreeting() {
    GreetingDialog greeting(GetSafeHwnd());
    greeting.DoModal();
  }
  void OnWorker() {
    // The thread object deletes itself when its thread ends.
    auto* worker = new SampleWorker(GetSafeHwnd());
    worker->CreateThread();
  }
  void OnHelp() {
    ShellExecute(nullptr, "open", "C:\\Sample\\Trouble.html", {}, {}, SW_SHOWNORMAL);
  }
  void OnDropList() { GetDlgItemAs<ComboBox>(kList)->ShowDropDown(TRUE); }
  void OnDelay() { SetTimer(kDelayTimer, kDelayMs); }
  void OnTimer(UINT_PTR id) {
    KillTimer(id);
    SetDlgItemText(kDelayText, "delay over");
  }
  LRESULT OnWorkerAnswered(WPARAM wParam, LPARAM /*lParam*/) {
    SetDlgItemText(kWorkerText, "worker answered " + std::to_string(wParam));
    return 0;
  }

  int last_answer_ = 0;

  using Map = MessageMap<MainDialog>;
  static const Map kMessageMap;
};

const MainDialog::Map MainDialog::kMessageMap{
    Map::Message(WM_CLOSE, &MainDialog::OnOK),
    Map::Button(kAsk, &MainDialog::OnAsk),
    Map::Button(kBrowse, &MainDialog::OnBrowse),
    Map::Button(kOptions, &MainDialog::OnOptions),
    Map::Button(kWorker, &MainDialog::OnWorker),
    Map::Button(kGreeting, &MainDialog::OnGreeting),
    Map::Button(kHelp, &MainDialog::OnHelp),
    Map::Button(kDropList, &MainDialog::OnDropList),
    Map::Button(kDelay, &MainDialog::OnDelay),
    Map::Timer(&MainDialog::OnTimer),
    Map::Command(kList, CBN_SELCHANGE, &MainDialog::OnListChange),
    Map::Message(kWorkerAnswered, &MainDialog::OnWorkerAnswered),
};

class SampleApp : public WinThread {
 public:
  BOOL InitInstance() override {
    MainDialog dialog;
    dialog.DoModal();
    return FALSE;
  }
};

}  // namespace

int main() {
  if (!InstallClockFromEnvironment()) {
    std::cerr << "TESSALY_CLOCK: unknown clock\n";
    return 2;
  }
  std::string error;
  if (!InstallUiFromEnvironment(error)) {
    std::cerr << error << '\n';
    return 2;
  }
  SetApplicationTitle("Sample");
  RegisterTemplates();
  SampleApp application;
  return RunApplication(application);
}
