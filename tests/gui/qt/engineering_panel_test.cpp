// The engineering window driven through its Qt widgets: Send Command and Send FW, with and
// without a choice in their lists, show their status lines in the status box.

#include <unistd.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>

#include "device_link/upgrade_thread.h"
#include "platform/ui/combo_box.h"
#include "tests/gui/qt/idle_workers.h"
#include "tests/gui/qt/qt_test_support.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

constexpr char kNoCommandLine[] =
    "\r\nPlease select a command first from select Command Combo Box\r\n";
constexpr char kNoTypeLine[] = "\r\nPlease select a F/W Type first from select F/W Combo Box\r\n";
constexpr char kNotBinLine[] = "\r\n\r\nPlease select .bin file!\r\n\r\n";
constexpr char kNoResponseStart[] = "\r\nThere is no response from Halcyra.";

// What the status box's widget shows for a text of the model: the same lines, without "\r".
QString Shown(const std::string& text) {
  return QString::fromStdString(text).remove(QLatin1Char('\r'));
}

class EngineeringPanelTest : public tessaly_test::QtViewTest {
 protected:
  EngineeringPanelTest() {
    tessaly_test::RegisterProgramResources();
    app_.m_bEngineeringMode = 1;
    std::filesystem::create_directories(folder_);
    std::ofstream(cpld_image_) << "xsvf";
  }
  ~EngineeringPanelTest() override { std::filesystem::remove_all(folder_); }

  // Runs the window modally, drives it with `drive` once it is up, then closes it.
  void RunDriven(CCorvikUpgradeDlg& dialog, const std::function<void()>& drive) {
    platform::PostClosure(platform::GetCurrentThreadId(), [&dialog, drive] {
      drive();
      dialog.SendMessage(platform::WM_CLOSE);
    });
    dialog.DoModal();
  }

  QComboBox* ListWidget(const CCorvikUpgradeDlg& dialog, int id) {
    return qobject_cast<QComboBox*>(WidgetOf(dialog, id));
  }
  void ClickWidget(const CCorvikUpgradeDlg& dialog, int id) {
    QTest::mouseClick(WidgetOf(dialog, id), Qt::LeftButton);
  }
  // The user picks `text` in the dropped list of `id`.
  void PickFromDroppedList(CCorvikUpgradeDlg& dialog, int id, const char* text) {
    const int index = dialog.GetDlgItemAs<platform::ComboBox>(id)->FindStringExact(-1, text);
    ASSERT_GE(index, 0) << text;
    QAbstractItemView* const popup = ListWidget(dialog, id)->view();
    ASSERT_TRUE(popup->isVisible());
    const QModelIndex item = popup->model()->index(index, 0);
    popup->scrollTo(item);
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(item).center());
  }
  // Waits until the model's status text holds `line` and checks that the widget shows it.
  void ExpectStatusLine(CCorvikUpgradeDlg& dialog, const std::string& line) {
    RunUntil([&] { return dialog.m_strStatusText.find(line) != std::string::npos; });
    const auto* const status = qobject_cast<QPlainTextEdit*>(WidgetOf(dialog, IDC_STATUS_EDIT));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->toPlainText(), Shown(dialog.GetDlgItemText(IDC_STATUS_EDIT)));
    EXPECT_TRUE(status->toPlainText().contains(Shown(line)));
  }
  void ExpectPanelEnabled(const CCorvikUpgradeDlg& dialog, bool enabled) {
    for (const int id : {IDC_SEND_COMMAND, IDC_SEND_FW, IDC_BROWSE, IDC_COMMAND_LIST}) {
      EXPECT_EQ(WidgetOf(dialog, id)->isEnabled(), enabled) << "control " << id;
    }
  }

  CCorvikUpgradeApp app_;
  const std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("gui_qt_panel_" + std::to_string(getpid()));
  const std::filesystem::path cpld_image_ = folder_ / "cpld.xsvf";

 private:
  tessaly_test::IdleWorkers workers_;
};

TEST_F(EngineeringPanelTest, SendCommandShowsItsStatusLinesAndWaitsForTheReply) {
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  RunDriven(dialog, [&] {
    ClickWidget(dialog, IDC_SEND_COMMAND);
    ExpectStatusLine(dialog, kNoCommandLine);
    EXPECT_TRUE(ListWidget(dialog, IDC_COMMAND_LIST)->view()->isVisible());

    PickFromDroppedList(dialog, IDC_COMMAND_LIST, "UPD_GET_CPLD_FW_VER");
    RunUntil([&] { return dialog.GetDlgItemText(IDC_COMMAND_LIST) == "UPD_GET_CPLD_FW_VER"; });
    EXPECT_FALSE(ListWidget(dialog, IDC_COMMAND_LIST)->view()->isVisible());

    ClickWidget(dialog, IDC_SEND_COMMAND);
    RunUntil([&] { return dialog.m_nPendingCommand == 0xD001; });
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskCommand, 0xD001);
    ExpectPanelEnabled(dialog, false);

    ExpectStatusLine(dialog, kNoResponseStart);
    ExpectPanelEnabled(dialog, true);
  });
}

TEST_F(EngineeringPanelTest, SendFirmwareChecksTypeAndPathBeforeItHandsTheImageOver) {
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  RunDriven(dialog, [&] {
    ClickWidget(dialog, IDC_SEND_FW);
    ExpectStatusLine(dialog, kNoTypeLine);
    EXPECT_TRUE(ListWidget(dialog, IDC_FIRMWARE_TYPE_LIST)->view()->isVisible());

    // Choosing the DSP type opens Browse, which takes the CPLD image: it does not ask the type.
    tessaly_test::WhenModalOpens<QFileDialog>([&](QFileDialog& files) {
      EXPECT_EQ(files.nameFilters(), QStringList({"DSP Firmware Files (*.bin)", "All Files (*)"}));
      files.selectFile(QString::fromStdString(cpld_image_.string()));
      static_cast<QDialog&>(files).accept();
    });
    PickFromDroppedList(dialog, IDC_FIRMWARE_TYPE_LIST, "DSP Firmware");
    RunUntil([&] { return dialog.m_strFilePath == cpld_image_.string(); });
    EXPECT_EQ(qobject_cast<QLineEdit*>(WidgetOf(dialog, IDC_FILE_PATH))->text(),
              QString::fromStdString(cpld_image_.string()));

    // Clear Window: the next line shows alone.
    ClickWidget(dialog, IDC_CLEAR_WINDOW);
    ClickWidget(dialog, IDC_SEND_FW);
    ExpectStatusLine(dialog, kNotBinLine);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), kNotBinLine);
    ExpectPanelEnabled(dialog, true);

    // The CPLD type: Browse is cancelled and the path stays.
    tessaly_test::WhenModalOpens<QFileDialog>([](QFileDialog& files) { files.reject(); });
    QTest::keyClick(ListWidget(dialog, IDC_FIRMWARE_TYPE_LIST), Qt::Key_Down);
    RunUntil([&] { return dialog.GetDlgItemText(IDC_FIRMWARE_TYPE_LIST) == "CPLD Firmware"; });
    ClickWidget(dialog, IDC_SEND_FW);
    RunUntil([&] { return dialog.m_nReplyTimer != CCorvikUpgradeDlg::kNoTimer; });
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_SEND_CPLD_FILE);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_strTaskFilePath, cpld_image_.string());
    ExpectPanelEnabled(dialog, false);

    ExpectStatusLine(dialog, kNoResponseStart);
    ExpectPanelEnabled(dialog, true);
  });
}

}  // namespace
