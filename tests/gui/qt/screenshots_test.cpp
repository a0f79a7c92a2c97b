// Pictures of the program's windows as the Qt view draws them, written to the build folder's
// screenshots/ for people to look at. Each window is the program's own dialog class, opened the
// way the program opens it; the test checks that every picture was taken and saved.

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "tests/gui/qt/idle_workers.h"
#include "tests/gui/qt/qt_test_support.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

class ScreenshotTest : public tessaly_test::QtViewTest {
 protected:
  ScreenshotTest() {
    tessaly_test::RegisterProgramResources();
    QDir().mkpath(QString::fromUtf8(TESSALY_SCREENSHOT_DIR));
  }

  // Runs `window` modally; once it is up, `prepare` gives it the state to show, then its picture
  // is saved as <name>.png and the window closes.
  void Photograph(platform::Dialog& window, const char* name,
                  const std::function<void()>& prepare = {}) {
    platform::PostClosure(platform::GetCurrentThreadId(), [this, &window, name, prepare] {
      if (prepare) {
        prepare();
      }
      gui::DialogView* view = ViewOf(window);
      ASSERT_NE(view, nullptr);
      const QImage picture = view->grab().toImage();
      EXPECT_EQ(picture.size(), view->size());
      EXPECT_GT(DistinctColours(picture), 2U) << "an empty picture";
      const QString file = QString::fromUtf8(TESSALY_SCREENSHOT_DIR) + "/" + name + ".png";
      EXPECT_TRUE(picture.save(file)) << file.toStdString();
      window.EndDialog(platform::IDCANCEL);
    });
    window.DoModal();
  }

  CCorvikUpgradeApp app_;

 private:
  tessaly_test::IdleWorkers workers_;

  static std::size_t DistinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
      for (int x = 0; x < image.width(); x += 3) {
        colours.insert(image.pixel(x, y));
      }
    }
    return colours.size();
  }
};

// Dresses a dialog at initialisation the way the program's recovery dialog (177) and status
// question (1089) are dressed: Arial fonts on named controls, texts from the string table, a red
// caution line.
class DressedDialog final : public platform::Dialog {
 public:
  struct Dress {
    int bold_height = 0;
    std::vector<int> bold_controls;
    std::vector<std::pair<int, platform::UINT>> texts;  // control, string id
    int red_control = 0;
  };

  DressedDialog(platform::UINT template_id, Dress dress)
      : Dialog(template_id), dress_(std::move(dress)) {}

 protected:
  platform::BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    bold_.CreateFont(dress_.bold_height, 0, 0, 0, platform::FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0,
                     "Arial");
    for (const int id : dress_.bold_controls) {
      GetDlgItem(id)->SetFont(&bold_);
    }
    for (const auto& [id, text] : dress_.texts) {
      SetDlgItemText(id, FindResourceString(text));
    }
    return platform::TRUE;
  }
  void OnCtlColor(platform::ControlColors& colors, const platform::Control& control) override {
    if (control.GetDlgCtrlID() == dress_.red_control) {
      colors.SetTextColor(platform::RGB(255, 0, 0));
      colors.SetBkMode(platform::TRANSPARENT);
    }
  }

 private:
  Dress dress_;
  platform::Font bold_;
};

TEST_F(ScreenshotTest, RecoveryDialog) {
  DressedDialog recovery(IDD_RECOVERY_DIALOG, {-14,
                                               {IDC_CAUTION_TEXT, IDC_READY_TEXT, IDC_ERASE_TEXT,
                                                IDC_BOOTROM_UPGRADE, IDC_APPLICATION_UPGRADE},
                                               {},
                                               IDC_CAUTION_TEXT});
  Photograph(recovery, "177-recovery-dialog");
}

TEST_F(ScreenshotTest, StatusQuestionDialog) {
  DressedDialog question(IDD_OPTIONS_DIALOG,
                         {-16,
                          {IDC_OPTIONS_HEADING, IDC_OPTION_READY, IDC_OPTION_SEARCHING,
                           IDC_OPTION_NO_SIGNAL, IDC_OPTION_NOT_REGISTERED},
                          {{IDC_OPTIONS_HEADING, IDS_READ_INSTRUCTIONS}},
                          0});
  Photograph(question, "1089-status-question-dialog");
}

TEST_F(ScreenshotTest, WizardWindow) {
  CCorvikUpgradeDlg wizard(IDD_WIZARD_WINDOW);
  Photograph(wizard, "1063-wizard-window");
}

TEST_F(ScreenshotTest, EngineeringWindow) {
  app_.m_bEngineeringMode = 1;
  CCorvikUpgradeDlg engineering(IDD_ENGINEERING_WINDOW);
  Photograph(engineering, "104-engineering-window");
}

}  // namespace
