// The dialog model without a modal run: controls by id, their state, radio groups, the system
// menu, the message map and what observers are told.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/thread/messages.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"
#include "platform/ui/edit.h"
#include "platform/ui/message_map.h"
#include "platform/ui/progress_bar.h"
#include "tests/unit/platform/ui/ui_test_support.h"

namespace {

using namespace platform;
using tessaly_test::MakeControl;
using tessaly_test::MakeTemplate;
using ::testing::ElementsAre;

constexpr UINT kPanel = 300;
constexpr int kStatus = 1000;
constexpr int kList = 1039;
constexpr int kProgress = 1008;
constexpr int kSend = 1023;
constexpr int kShowStatus = 1038;
constexpr int kReady = 1091;
constexpr int kWaiting = 1092;
constexpr int kNoSignal = 1093;
constexpr int kNext = 1090;
constexpr int kOther = 1095;
constexpr int kOtherSecond = 1096;

DialogTemplate PanelTemplate() {
  return MakeTemplate(
      kPanel,
      {MakeControl(kStatus, ControlKind::kEdit, "", ControlStyle::kMultiLine),
       MakeControl(kList, ControlKind::kComboBox),
       MakeControl(kProgress, ControlKind::kProgressBar),
       MakeControl(kSend, ControlKind::kPushButton, "Send", ControlStyle::kDisabled),
       MakeControl(kShowStatus, ControlKind::kCheckBox, "&Show Status"),
       MakeControl(kReady, ControlKind::kRadioButton, "Ready", ControlStyle::kGroup),
       MakeControl(kWaiting, ControlKind::kRadioButton, "Waiting"),
       MakeControl(kNoSignal, ControlKind::kRadioButton, "No Signal"),
       MakeControl(kNext, ControlKind::kPushButton, "&Next"),
       MakeControl(kOther, ControlKind::kRadioButton, "A", ControlStyle::kGroup),
       MakeControl(kOtherSecond, ControlKind::kRadioButton, "B"),
       MakeControl(IDC_STATIC, ControlKind::kStatic, "Hidden note", ControlStyle::kHidden)});
}

// A panel whose handlers log what reached them through its message map.
class PanelDialog : public Dialog {
 public:
  PanelDialog() : Dialog(PanelTemplate()) {}

  std::vector<std::string> log;
  int choice = 5;

 protected:
  bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    return kMessageMap.Route(*this, message, wParam, lParam, result);
  }
  void DoDataExchange(DataExchange& exchange) override { exchange.Radio(kReady, choice); }

 private:
  void OnSend() { log.push_back("send"); }
  void OnListChange() {
    log.push_back("list " + std::to_string(GetDlgItemAs<ComboBox>(kList)->GetCurSel()));
  }
  void OnNext() { log.push_back("next"); }
  LRESULT OnReply(WPARAM wParam, LPARAM lParam) {
    log.push_back("reply " + std::to_string(wParam) + " " + std::to_string(lParam));
    return 77;
  }
  void OnTimer(UINT_PTR id) { log.push_back("timer " + std::to_string(id)); }
  void OnSysCommand(UINT command, LPARAM lParam) override {
    log.push_back("syscommand " + std::to_string(command));
    Dialog::OnSysCommand(command, lParam);
  }

  using Map = MessageMap<PanelDialog>;
  static const Map kMessageMap;
};

const PanelDialog::Map PanelDialog::kMessageMap{
    Map::Button(kSend, &PanelDialog::OnSend),
    Map::Command(kList, CBN_SELCHANGE, &PanelDialog::OnListChange),
    Map::Button(kNext, &PanelDialog::OnNext),
    Map::Message(WM_USER + 34, &PanelDialog::OnReply),
    Map::Timer(&PanelDialog::OnTimer),
    Map::SysCommand(&PanelDialog::OnSysCommand),
};

class DialogModelTest : public tessaly_test::UiTest {
 protected:
  void SetUp() override { ASSERT_TRUE(panel_.Create()); }
  PanelDialog panel_;
};

TEST_F(DialogModelTest, MissingControlsAreNullAndTheirOperationsAreSkipped) {
  EXPECT_EQ(panel_.GetDlgItem(4242), nullptr);
  EXPECT_EQ(panel_.GetDlgItemAs<ComboBox>(kSend), nullptr) << "a button is no combo box";
  EXPECT_NE(panel_.GetDlgItemAs<ComboBox>(kList), nullptr);
  EXPECT_EQ(panel_.SetDlgItemText(4242, "x"), FALSE);
  EXPECT_EQ(panel_.GetDlgItemText(4242), "");
  EXPECT_EQ(panel_.CheckDlgButton(4242, BST_CHECKED), FALSE);
  EXPECT_EQ(panel_.IsDlgButtonChecked(4242), 0U);
  EXPECT_EQ(panel_.GetRadioGroupIndex(4242), -1);
}

TEST_F(DialogModelTest, ControlsStartAsTheTemplateSays) {
  EXPECT_EQ(panel_.GetWindowText(), "Dialog 300");
  EXPECT_EQ(panel_.GetDlgItemText(kSend), "Send");
  EXPECT_EQ(panel_.GetDlgItem(kSend)->IsWindowEnabled(), FALSE);
  EXPECT_EQ(panel_.GetDlgItem(IDC_STATIC)->IsWindowVisible(), FALSE);
  EXPECT_EQ(panel_.GetDlgItem(kStatus)->GetFont().face, "Arial");
  EXPECT_EQ(panel_.GetDlgItem(kStatus)->GetFont().point_size, 8);

  EXPECT_EQ(panel_.GetDlgItem(kSend)->EnableWindow(TRUE), TRUE) << "it was disabled";
  EXPECT_EQ(panel_.GetDlgItem(kSend)->EnableWindow(TRUE), FALSE);
  EXPECT_EQ(panel_.GetDlgItem(kSend)->ShowWindow(SW_HIDE), TRUE) << "it was visible";
  EXPECT_EQ(panel_.GetDlgItem(kSend)->IsWindowVisible(), FALSE);
}

TEST_F(DialogModelTest, FontsAreCopiedSoTheFontObjectMayGo) {
  {
    Font bold;
    ASSERT_EQ(bold.CreateFont(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), TRUE);
    panel_.GetDlgItem(kNext)->SetFont(&bold);
  }
  EXPECT_EQ(panel_.GetDlgItem(kNext)->GetFont().height, -14);
  EXPECT_EQ(panel_.GetDlgItem(kNext)->GetFont().weight, FW_BOLD);
  panel_.GetDlgItem(kNext)->SetFont(nullptr);
  EXPECT_EQ(panel_.GetDlgItem(kNext)->GetFont(), panel_.GetFont());
}

TEST_F(DialogModelTest, ComboBoxKeepsOrderAndSelectionLikeADropDownList) {
  auto& list = *panel_.GetDlgItemAs<ComboBox>(kList);
  EXPECT_EQ(list.GetCurSel(), CB_ERR);
  EXPECT_EQ(list.AddString("DSP Firmware"), 0);
  EXPECT_EQ(list.AddString("CVM Firmware"), 1);
  EXPECT_EQ(list.InsertString(1, "CPLD Firmware"), 1);
  EXPECT_EQ(list.InsertString(7, "beyond"), CB_ERR);
  EXPECT_THAT(list.Items(), ElementsAre("DSP Firmware", "CPLD Firmware", "CVM Firmware"));

  EXPECT_EQ(list.SetCurSel(2), 2);
  EXPECT_EQ(list.GetWindowText(), "CVM Firmware");
  EXPECT_EQ(list.InsertString(0, "first"), 0);
  EXPECT_EQ(list.GetCurSel(), 3) << "the selection follows its item";

  EXPECT_EQ(list.SetCurSel(9), CB_ERR);
  EXPECT_EQ(list.GetCurSel(), CB_ERR) << "an index outside the list clears the selection";
  EXPECT_EQ(list.GetWindowText(), "");

  std::string text = "unchanged";
  EXPECT_EQ(list.GetLBText(4, text), CB_ERR);
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(list.GetLBText(1, text), 12);
  EXPECT_EQ(text, "DSP Firmware");
  EXPECT_EQ(list.FindStringExact(-1, "CPLD Firmware"), 2);
  EXPECT_EQ(list.FindStringExact(-1, "cpld firmware"), CB_ERR);

  list.ResetContent();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetCurSel(), CB_ERR);
}

TEST_F(DialogModelTest, ProgressPositionStaysInsideTheRange) {
  auto& progress = *panel_.GetDlgItemAs<ProgressBar>(kProgress);
  progress.SetRange32(0, 355476);
  EXPECT_EQ(progress.SetPos(177738), 0);
  EXPECT_EQ(progress.GetPos(), 177738);
  progress.SetPos(400000);
  EXPECT_EQ(progress.GetPos(), 355476);
  progress.SetRange32(0, 100);
  EXPECT_EQ(progress.GetPos(), 100) << "a smaller range pulls the position in";
}

TEST_F(DialogModelTest, EditAppendsAtTheSelectionAndScrollsToTheLastLine) {
  auto& status = *panel_.GetDlgItemAs<Edit>(kStatus);
  status.SetWindowText("\r\nfirst\r\n");
  status.SetSel(-1, -1);
  status.ReplaceSel("more");
  EXPECT_EQ(status.GetWindowText(), "more\r\nfirst\r\n") << "no selection: the caret is at 0";
  status.SetSel(0, -1);
  status.ReplaceSel("all\r\nof\r\nit");
  EXPECT_EQ(status.GetWindowText(), "all\r\nof\r\nit");
  int start = -1;
  int end = -1;
  status.GetSel(start, end);
  EXPECT_EQ(start, 11);
  EXPECT_EQ(end, 11);
  EXPECT_EQ(status.GetLineCount(), 3);
  status.ScrollToBottom();
  EXPECT_EQ(status.GetFirstVisibleLine(), 2);
  status.LineScroll(-5);
  EXPECT_EQ(status.GetFirstVisibleLine(), 0);
}

TEST_F(DialogModelTest, RadioGroupIndexIsMinusOneUntilAButtonIsChecked) {
  panel_.UpdateData(TRUE);
  EXPECT_EQ(panel_.choice, -1);

  panel_.GetDlgItemAs<Button>(kWaiting)->Click();
  panel_.UpdateData(TRUE);
  EXPECT_EQ(panel_.choice, 1);

  panel_.GetDlgItemAs<Button>(kOther)->Click();
  EXPECT_EQ(panel_.GetRadioGroupIndex(kReady), 1) << "another group does not clear this one";
  EXPECT_EQ(panel_.GetRadioGroupIndex(kOther), 0);

  panel_.GetDlgItemAs<Button>(kNoSignal)->Click();
  EXPECT_EQ(panel_.IsDlgButtonChecked(kWaiting), 0U) << "a click clears the rest of its group";
  EXPECT_EQ(panel_.GetRadioGroupIndex(kReady), 2);

  panel_.choice = -1;
  panel_.UpdateData(FALSE);
  EXPECT_EQ(panel_.GetRadioGroupIndex(kReady), -1);
  EXPECT_EQ(panel_.IsDlgButtonChecked(kNoSignal), 0U);
}

TEST_F(DialogModelTest, CheckBoxClickTogglesAndNotifies) {
  auto& check = *panel_.GetDlgItemAs<Button>(kShowStatus);
  check.Click();
  EXPECT_EQ(check.GetCheck(), BST_CHECKED);
  check.Click();
  EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
}

TEST_F(DialogModelTest, MessageMapRoutesCommandsMessagesTimersAndSystemCommands) {
  panel_.GetDlgItem(kSend)->EnableWindow(TRUE);
  panel_.GetDlgItemAs<Button>(kSend)->Click();
  auto& list = *panel_.GetDlgItemAs<ComboBox>(kList);
  list.AddString("a");
  list.AddString("b");
  list.ChooseItem(1);
  panel_.GetDlgItemAs<Button>(kNext)->Click();
  EXPECT_EQ(panel_.SendMessage(WM_USER + 34, 1, 2), 77);
  EXPECT_EQ(panel_.SendMessage(WM_USER + 35, 1, 2), 0) << "no row: default handling";
  panel_.SendMessage(WM_TIMER, 112);
  panel_.SendMessage(WM_COMMAND, MakeCommandParam(kSend, CBN_SELCHANGE));  // no row for this
  EXPECT_TRUE(panel_.ChooseSystemCommand(SC_MOVE));

  EXPECT_THAT(panel_.log,
              ElementsAre("send", "list 1", "next", "reply 1 2", "timer 112", "syscommand 61456"));
}

TEST_F(DialogModelTest, SystemMenuTakesAppendedItemsAndGreysClose) {
  Menu* menu = panel_.GetSystemMenu(FALSE);
  ASSERT_NE(menu, nullptr);
  menu->AppendMenu(MF_SEPARATOR);
  menu->AppendMenu(MF_STRING, 16, "&About Halcyra Upgrade...");
  EXPECT_TRUE(panel_.CanChooseSystemCommand(16));
  EXPECT_FALSE(panel_.CanChooseSystemCommand(0)) << "a separator is no command";

  EXPECT_EQ(menu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(menu->GetMenuState(SC_CLOSE, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_FALSE(panel_.ChooseSystemCommand(SC_CLOSE));
  EXPECT_EQ(menu->EnableMenuItem(4242, MF_BYCOMMAND | MF_GRAYED), kNoMenuItem);

  Dialog plain(MakeTemplate(301, {}, DialogStyle::kCaption | DialogStyle::kModalFrame));
  ASSERT_TRUE(plain.Create());
  EXPECT_EQ(plain.GetSystemMenu(FALSE), nullptr);
  EXPECT_FALSE(plain.ChooseSystemCommand(SC_CLOSE)) << "no system menu, no close box";
}

// Keeps every notification as text.
class LoggingObserver final : public DialogObserver {
 public:
  void OnDialogCreated(Dialog& dialog) override { Add("created", dialog); }
  void OnDialogClosed(Dialog& dialog, INT_PTR result) override {
    Add("closed " + std::to_string(result), dialog);
  }
  void OnDialogDestroyed(Dialog& dialog) override { Add("destroyed", dialog); }
  void OnDialogChanged(Dialog& dialog, DialogChange change) override {
    Add("dialog change " + std::to_string(static_cast<int>(change)), dialog);
  }
  void OnControlChanged(Dialog& dialog, Control& control, ControlChange change) override {
    Add("control " + std::to_string(control.GetDlgCtrlID()) + " change " +
            std::to_string(static_cast<int>(change)),
        dialog);
  }

  std::vector<std::string> events;

 private:
  void Add(const std::string& event, const Dialog& dialog) {
    events.push_back(std::to_string(dialog.GetTemplateId()) + " " + event);
  }
};

TEST_F(DialogModelTest, ObserversSeeTheLifeOfAWindowAndOnlyRealChanges) {
  auto observer = std::make_shared<LoggingObserver>();
  AddDialogObserver(observer);
  {
    Dialog dialog(MakeTemplate(302, {MakeControl(7, ControlKind::kStatic, "same")},
                               DialogStyle::kCaption | DialogStyle::kVisible));
    ASSERT_TRUE(dialog.Create());
    dialog.SetDlgItemText(7, "same");
    dialog.SetDlgItemText(7, "new");
    dialog.GetDlgItem(7)->EnableWindow(TRUE);
    dialog.SetWindowText("Title");
    dialog.SetIcon(LoadIcon(128), ICON_BIG);
  }
  RemoveDialogObserver(observer.get());

  const std::string text_change = std::to_string(static_cast<int>(ControlChange::kText));
  const std::string title_change = std::to_string(static_cast<int>(DialogChange::kTitle));
  const std::string icon_change = std::to_string(static_cast<int>(DialogChange::kIcon));
  EXPECT_THAT(observer->events,
              ElementsAre("302 created", "302 control 7 change " + text_change,
                          "302 dialog change " + title_change, "302 dialog change " + icon_change,
                          "302 closed 0", "302 destroyed"));
}

}  // namespace
