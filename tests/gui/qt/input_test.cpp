// What the user does in a window reaches the dialog as the framework's command messages, in turn
// with the program's own messages.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <utility>
#include <vector>

#include "platform/thread/messages.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/menu.h"
#include "tests/gui/qt/qt_test_support.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

using Command = std::pair<platform::UINT, platform::UINT>;  // control id, notification

// Records every WM_COMMAND instead of handling it.
class CommandRecorder final : public platform::Dialog {
 public:
  using Dialog::Dialog;
  std::vector<Command> commands;
  std::vector<platform::UINT> system_commands;

 protected:
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM /*lParam*/,
                    platform::LRESULT& result) override {
    if (message == platform::WM_SYSCOMMAND) {
      system_commands.push_back(static_cast<platform::UINT>(wParam));
    }
    if (message != platform::WM_COMMAND) {
      return false;
    }
    commands.emplace_back(platform::LoWord(wParam), platform::HiWord(wParam));
    result = 0;
    return true;
  }
};

class InputTest : public tessaly_test::QtViewTest {
 protected:
  InputTest() { tessaly_test::RegisterProgramResources(); }

  // Lets the program take everything the view has posted so far.
  static void Settle() {
    bool reached = false;
    platform::PostClosure(platform::GetCurrentThreadId(), [&reached] { reached = true; });
    RunUntil([&reached] { return reached; });
  }

  void Open(CommandRecorder& dialog) {
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(platform::SW_SHOW);
    ASSERT_NE(ViewOf(dialog), nullptr);
  }
};

TEST_F(InputTest, AClickIsACommandHandledByTheProgramsLoopNotInsideQt) {
  CommandRecorder dialog(IDD_WIZARD_WINDOW);
  Open(dialog);
  QTest::mouseClick(WidgetOf(dialog, IDC_UPGRADE), Qt::LeftButton);
  EXPECT_TRUE(dialog.commands.empty());
  RunUntil([&] { return !dialog.commands.empty(); });
  EXPECT_EQ(dialog.commands, std::vector<Command>({{IDC_UPGRADE, platform::BN_CLICKED}}));
}

TEST_F(InputTest, AClickOnAControlThatTheProgramDisabledMeanwhileIsDropped) {
  CommandRecorder dialog(IDD_WIZARD_WINDOW);
  Open(dialog);
  QTest::mouseClick(WidgetOf(dialog, IDC_UPGRADE), Qt::LeftButton);
  dialog.GetDlgItem(IDC_UPGRADE)->EnableWindow(platform::FALSE);
  Settle();
  EXPECT_TRUE(dialog.commands.empty());
  // Disabled in the model, the widget takes no click either.
  QTest::mouseClick(WidgetOf(dialog, IDC_UPGRADE), Qt::LeftButton);
  Settle();
  EXPECT_TRUE(dialog.commands.empty());
}

TEST_F(InputTest, CheckBoxesAndRadioButtonsShowWhatTheModelChecked) {
  CommandRecorder engineering(IDD_ENGINEERING_WINDOW);
  Open(engineering);
  auto* show_status = dynamic_cast<QAbstractButton*>(WidgetOf(engineering, IDC_SHOW_STATUS));
  ASSERT_NE(show_status, nullptr);
  QTest::mouseClick(show_status, Qt::LeftButton);
  EXPECT_FALSE(show_status->isChecked());  // the model decides, when the program takes the click
  RunUntil([&] { return !engineering.commands.empty(); });
  EXPECT_EQ(engineering.IsDlgButtonChecked(IDC_SHOW_STATUS), 1U);
  EXPECT_TRUE(show_status->isChecked());
  EXPECT_EQ(engineering.commands.back(), Command(IDC_SHOW_STATUS, platform::BN_CLICKED));

  CommandRecorder options(IDD_OPTIONS_DIALOG);
  Open(options);
  QTest::mouseClick(WidgetOf(options, IDC_OPTION_NO_SIGNAL), Qt::LeftButton);
  Settle();
  QTest::mouseClick(WidgetOf(options, IDC_OPTION_READY), Qt::LeftButton);
  Settle();
  EXPECT_EQ(options.GetRadioGroupIndex(IDC_OPTION_READY), 0);
  EXPECT_TRUE(dynamic_cast<QAbstractButton*>(WidgetOf(options, IDC_OPTION_READY))->isChecked());
  EXPECT_FALSE(
      dynamic_cast<QAbstractButton*>(WidgetOf(options, IDC_OPTION_NO_SIGNAL))->isChecked());
  EXPECT_EQ(options.commands, std::vector<Command>({{IDC_OPTION_NO_SIGNAL, platform::BN_CLICKED},
                                                    {IDC_OPTION_READY, platform::BN_CLICKED}}));
}

TEST_F(InputTest, ChoosingAnItemIsASelectionChangeOfTheModel) {
  CommandRecorder dialog(IDD_ENGINEERING_WINDOW);
  Open(dialog);
  auto* types = dialog.GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST);
  for (const char* type : {"DSP Firmware", "CPLD Firmware", "CVM Firmware"}) {
    types->AddString(type);
  }
  auto* list = qobject_cast<QComboBox*>(WidgetOf(dialog, IDC_FIRMWARE_TYPE_LIST));
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Down);
  RunUntil([&] { return !dialog.commands.empty(); });
  EXPECT_EQ(dialog.commands.back(), Command(IDC_FIRMWARE_TYPE_LIST, platform::CBN_SELCHANGE));
  EXPECT_EQ(types->GetCurSel(), 0);
  EXPECT_EQ(list->currentIndex(), 0);

  types->ShowDropDown(platform::TRUE);
  EXPECT_TRUE(list->view()->isVisible());
  types->ShowDropDown(platform::FALSE);
  EXPECT_FALSE(list->view()->isVisible());
}

TEST_F(InputTest, TheCloseBoxIsTheSystemMenusCloseAndDoesNothingWhileItIsGreyed) {
  CommandRecorder dialog(IDD_RECOVERY_DIALOG);
  Open(dialog);
  ViewOf(dialog)->close();
  RunUntil([&] { return !dialog.commands.empty(); });
  // Close leads to the framework's Cancel command.
  EXPECT_EQ(dialog.commands, std::vector<Command>({{platform::IDCANCEL, platform::BN_CLICKED}}));

  dialog.commands.clear();
  dialog.GetSystemMenu()->EnableMenuItem(platform::SC_CLOSE,
                                         platform::MF_BYCOMMAND | platform::MF_GRAYED);
  ViewOf(dialog)->close();
  Settle();
  EXPECT_TRUE(dialog.commands.empty());
  EXPECT_TRUE(ViewOf(dialog)->isVisible());
}

TEST_F(InputTest, TheSystemMenuOpensOnARightClickWithTheModelsItems) {
  CommandRecorder dialog(IDD_RECOVERY_DIALOG);
  Open(dialog);
  dialog.GetSystemMenu()->AppendMenu(platform::MF_SEPARATOR);
  dialog.GetSystemMenu()->AppendMenu(platform::MF_STRING, 16, "&About Halcyra Upgrade...");
  dialog.GetSystemMenu()->EnableMenuItem(platform::SC_CLOSE,
                                         platform::MF_BYCOMMAND | platform::MF_GRAYED);
  QContextMenuEvent right_click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                ViewOf(dialog)->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(ViewOf(dialog), &right_click);
  auto* menu = ViewOf(dialog)->findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QStringList texts;
  for (QAction* action : menu->actions()) {
    texts << action->text();
    if (action->text() == QStringLiteral("&Close\tAlt+F4")) {
      EXPECT_FALSE(action->isEnabled());
    }
  }
  EXPECT_EQ(texts, QStringList({"&Move", "&Close\tAlt+F4", "", "&About Halcyra Upgrade..."}));

  menu->actions().back()->trigger();
  RunUntil([&] { return !dialog.system_commands.empty(); });
  EXPECT_EQ(dialog.system_commands, std::vector<platform::UINT>({16}));
  EXPECT_TRUE(dialog.commands.empty());
}

TEST_F(InputTest, EscIsCancelAndEnterPressesTheDefaultButton) {
  CommandRecorder dialog(IDD_WIZARD_WINDOW);
  Open(dialog);
  QTest::keyClick(ViewOf(dialog), Qt::Key_Escape);
  QTest::keyClick(ViewOf(dialog), Qt::Key_Return);
  Settle();
  EXPECT_EQ(dialog.commands, std::vector<Command>({{platform::IDCANCEL, platform::BN_CLICKED},
                                                   {platform::IDOK, platform::BN_CLICKED}}));
}

TEST_F(InputTest, AWindowWithoutSystemMenuCannotBeClosedFromItsFrame) {
  CommandRecorder dialog(IDD_ENGINEERING_WINDOW);
  Open(dialog);
  EXPECT_FALSE(ViewOf(dialog)->windowFlags().testFlag(Qt::WindowCloseButtonHint));
  ViewOf(dialog)->close();
  Settle();
  EXPECT_TRUE(dialog.commands.empty());
}

}  // namespace
