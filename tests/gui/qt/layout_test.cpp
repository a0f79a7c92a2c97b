// Dialog units, filters and the layout of every program template in the Qt view.

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <string>
#include <vector>

#include "gui/qt/dialog_units.h"
#include "gui/qt/file_filter.h"
#include "gui/qt/qt_font.h"
#include "gui/qt/resource_image.h"
#include "gui/qt/static_text.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/edit.h"
#include "platform/ui/icon.h"
#include "platform/ui/progress_bar.h"
#include "tests/gui/qt/qt_test_support.h"
#include "tests/gui/qt/red_pixels.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

using gui::BaseUnits;
using platform::ControlKind;
using platform::DialogRect;
using tessaly_test::RedPixels;

TEST(DialogUnitsTest, MapsEachValueWithRoundingToTheNearestPixel) {
  const BaseUnits units{6, 13};
  // Edges: 5*6/4 = 7.5, 138*6/4 = 207, 55*13/8 = 89.375, 123*13/8 = 199.875.
  EXPECT_EQ(gui::MapDialogRect(DialogRect{5, 55, 133, 68}, units), QRect(8, 89, 199, 111));
  // Neighbours that touch in dialog units touch on the screen, whatever the rounding.
  const QRect upper = gui::MapDialogRect(DialogRect{19, 285, 264, 14}, BaseUnits{7, 14});
  const QRect lower = gui::MapDialogRect(DialogRect{161, 299, 136, 37}, BaseUnits{7, 14});
  EXPECT_EQ(upper.bottom() + 1, lower.top());
  EXPECT_EQ(gui::MapDialogSize(397, 310, units), QSize(596, 504));
  EXPECT_EQ(gui::MapDialogRect(DialogRect{0, 0, 0, 0}, units), QRect(0, 0, 0, 0));
}

TEST(DialogUnitsTest, BaseUnitsComeFromTheFontsAverageWidthAndHeight) {
  gui::InstallFontSubstitutions();
  const QFont small = gui::ToQFont(platform::LogFont{"Arial", 0, 8});
  const QFont large = gui::ToQFont(platform::LogFont{"Arial", 0, 12});
  EXPECT_EQ(small.pixelSize(), 11);  // 8 points at 96 dots per inch
  EXPECT_EQ(large.pixelSize(), 16);
  const BaseUnits small_units = gui::BaseUnitsOf(small);
  const BaseUnits large_units = gui::BaseUnitsOf(large);
  // Ascent and descent of Arial's metrics at 11 pixels are 9.96 and 2.33: 13 whole pixels, as
  // the classic 8-point dialog font.
  EXPECT_EQ(small_units.vertical, 13);
  EXPECT_EQ(gui::CharacterHeight(gui::ToQFont(platform::LogFont{"Arial", -14, 0, 700})), 16);
  // An average character is narrower than it is high, and grows with the font.
  EXPECT_GT(small_units.horizontal, 2);
  EXPECT_LT(small_units.horizontal, small_units.vertical);
  EXPECT_GT(large_units.horizontal, small_units.horizontal);
  EXPECT_GT(large_units.vertical, small_units.vertical);
}

TEST(QtFontTest, HeightsAndWeightsOfTheProgramsFonts) {
  const QFont bold = gui::ToQFont(platform::LogFont{"Arial", -14, 0, platform::FW_BOLD});
  EXPECT_EQ(bold.pixelSize(), 14);
  EXPECT_TRUE(bold.bold());
  const QFont normal = gui::ToQFont(platform::LogFont{"Arial", -12, 0, platform::FW_NORMAL});
  EXPECT_EQ(normal.pixelSize(), 12);
  EXPECT_FALSE(normal.bold());
  EXPECT_EQ(normal.family(), QStringLiteral("Arial"));
}

TEST(FileFilterTest, PairsBecomeQtNameFilters) {
  EXPECT_EQ(gui::ToNameFilters("DSP Firmware Files (*.bin)|*.bin|All Files (*.*)|*.*||"),
            QStringList({"DSP Firmware Files (*.bin)", "All Files (*)"}));
  EXPECT_EQ(gui::ToNameFilters("Images|*.png;*.jpg||"), QStringList({"Images (*.png *.jpg)"}));
  EXPECT_EQ(gui::ToNameFilters("DSP Firmware Files (*.bin)|*.bin|CPLD Firmware Files "
                               "(*.xsvf)|*.xsvf|CVM Firmware Files (*.hex)|*.hex|All Files "
                               "(*.*)|*.*||")
                .size(),
            4);
  EXPECT_TRUE(gui::ToNameFilters("").isEmpty());
  // A name without its pattern (an unfinished filter) is left out.
  EXPECT_EQ(gui::ToNameFilters("Text (*.txt)|*.txt|Lonely"), QStringList({"Text (*.txt)"}));
}

TEST(StaticTextTest, AWrappedLineDoesNotStartWithTheTabsOfTheBreak) {
  const QFont font = gui::ToQFont(platform::LogFont{"Arial", -12, 0, platform::FW_NORMAL});
  const QString text = QStringLiteral(
      "2.  Ensure USB cable is securely connected to \t\t\t     Halcyra console\n\tlast");
  const QString arranged = gui::StaticText::Arranged(text, font, 325);
  // The blanks after the tabs still indent the wrapped line; a tab after a line break stays.
  EXPECT_TRUE(arranged.contains(QStringLiteral("     Halcyra console")));
  EXPECT_TRUE(arranged.endsWith(QString(QChar::LineSeparator) + QStringLiteral("\tlast")));
  EXPECT_LT(arranged.count(QLatin1Char('\t')), text.count(QLatin1Char('\t')));
  // Wide enough for one line, nothing changes but the line break.
  EXPECT_EQ(gui::StaticText::Arranged(QStringLiteral("a\tb"), font, 1000), QStringLiteral("a\tb"));
}

TEST(StaticTextTest, MnemonicMarkersAreNotDrawn) {
  EXPECT_EQ(gui::StaticText::WithoutMnemonics("&Close"), QStringLiteral("Close"));
  EXPECT_EQ(gui::StaticText::WithoutMnemonics("Salt && Pepper"), QStringLiteral("Salt & Pepper"));
  EXPECT_EQ(gui::StaticText::WithoutMnemonics("end&"), QStringLiteral("end"));
}

class TemplateLayoutTest : public tessaly_test::QtViewTest {
 protected:
  TemplateLayoutTest() { tessaly_test::RegisterProgramResources(); }

  // The rectangle the template asks for, in dialog units, as the view placed it.
  static QRect TemplateRect(const platform::ControlTemplate& control) {
    return QRect(control.rect.x, control.rect.y, control.rect.width, control.rect.height);
  }
};

TEST_F(TemplateLayoutTest, EveryProgramTemplatePlacesEachControlAtItsDialogUnits) {
  for (const platform::UINT id :
       {IDD_ABOUTBOX, IDD_USB_ACCESS_FORM, IDD_ENGINEERING_WINDOW, IDD_RECOVERY_DIALOG,
        IDD_COMPLETE_DIALOG, IDD_WIZARD_WINDOW, IDD_OPTIONS_DIALOG, IDD_SEARCHING_DIALOG}) {
    SCOPED_TRACE(testing::Message() << "template " << id);
    platform::Dialog dialog(id);
    ASSERT_TRUE(dialog.Create());
    gui::DialogView* view = ViewOf(dialog);
    ASSERT_NE(view, nullptr);
    const platform::DialogTemplate& dialog_template = dialog.Template();
    const BaseUnits units = gui::BaseUnitsOf(gui::ToQFont(dialog.GetFont()));
    EXPECT_EQ(view->Units().horizontal, units.horizontal);
    EXPECT_EQ(view->size(),
              gui::MapDialogSize(dialog_template.width, dialog_template.height, units));

    std::vector<QRect> placed;
    for (std::size_t index = 0; index < dialog_template.controls.size(); ++index) {
      const platform::ControlTemplate& control = dialog_template.controls[index];
      SCOPED_TRACE(testing::Message() << "control " << control.id << " at " << index);
      QWidget* widget = view->ControlWidget(index);
      ASSERT_NE(widget, nullptr);
      const QRect asked = gui::MapDialogRect(control.rect, units);
      const QRect actual = widget->geometry();
      EXPECT_EQ(actual.topLeft(), asked.topLeft());
      if (control.kind == ControlKind::kPicture) {
        EXPECT_EQ(actual.size(), gui::ResourceImage(control.image_resource).size());
      } else if (control.kind == ControlKind::kComboBox) {
        // Closed, a drop-down list is as high as its font needs; the template counts the list.
        EXPECT_EQ(actual.width(), asked.width());
        EXPECT_LE(actual.height(), asked.height());
        EXPECT_GE(actual.height(), QFontMetrics(widget->font()).height());
      } else {
        EXPECT_EQ(actual.size(), asked.size());
      }
      EXPECT_TRUE(view->rect().contains(actual)) << "outside the window";
      placed.push_back(actual);
    }

    // Controls overlap on the screen only where the template makes them overlap.
    for (std::size_t first = 0; first < placed.size(); ++first) {
      for (std::size_t second = first + 1; second < placed.size(); ++second) {
        if (placed[first].intersects(placed[second])) {
          EXPECT_TRUE(TemplateRect(dialog_template.controls[first])
                          .intersects(TemplateRect(dialog_template.controls[second])))
              << "controls " << first << " and " << second << " overlap";
        }
      }
    }
  }
}

TEST_F(TemplateLayoutTest, ARadioButtonGrowsAboutItsMiddleToTheLineOfALargerFont) {
  platform::Dialog dialog(IDD_OPTIONS_DIALOG);
  ASSERT_TRUE(dialog.Create());
  const BaseUnits units = gui::BaseUnitsOf(gui::ToQFont(dialog.GetFont()));
  QWidget* ready = WidgetOf(dialog, IDC_OPTION_READY);
  ASSERT_NE(ready, nullptr);
  const QRect asked =
      gui::MapDialogRect(dialog.Template().controls[IndexOf(dialog, IDC_OPTION_READY)].rect, units);
  EXPECT_EQ(ready->geometry(), asked);

  // The program's bold option font is higher than the place the template gives.
  platform::Font bold;
  bold.CreateFont(-16, 0, 0, 0, platform::FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  dialog.GetDlgItem(IDC_OPTION_READY)->SetFont(&bold);
  const int line = gui::CharacterHeight(ready->font());
  ASSERT_GT(line, asked.height());
  EXPECT_EQ(ready->height(), line);
  EXPECT_EQ(ready->x(), asked.x());
  EXPECT_EQ(ready->width(), asked.width());
  EXPECT_LE(std::abs(ready->geometry().center().y() - asked.center().y()), 1);
  // It still leaves its neighbour alone; a push button keeps its place whatever its font.
  EXPECT_FALSE(ready->geometry().intersects(WidgetOf(dialog, IDC_OPTION_SEARCHING)->geometry()));
  QWidget* next = WidgetOf(dialog, IDC_OPTIONS_NEXT);
  const QRect next_place = next->geometry();
  platform::Font large;
  large.CreateFont(-30, 0, 0, 0, platform::FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  dialog.GetDlgItem(IDC_OPTIONS_NEXT)->SetFont(&large);
  ASSERT_GT(gui::CharacterHeight(next->font()), next_place.height());
  EXPECT_EQ(next->geometry(), next_place);
}

TEST_F(TemplateLayoutTest, TextsFontsAndVisibilityAreThoseOfTheModel) {
  platform::Dialog dialog(IDD_WIZARD_WINDOW);
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow(platform::SW_SHOW);
  gui::DialogView* view = ViewOf(dialog);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), QStringLiteral("Orvanta Halcyra Upgrade"));

  auto* title = dynamic_cast<gui::StaticText*>(WidgetOf(dialog, IDC_TITLE_TEXT));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Text(), QStringLiteral("IMPORTANT:  PLEASE FOLLOW THE STEPS BELOW"));
  EXPECT_TRUE(title->IsRightAligned());
  EXPECT_EQ(title->font().pixelSize(), 11);  // the dialog's Arial 8

  platform::Font bold;
  bold.CreateFont(-14, 0, 0, 0, platform::FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  dialog.GetDlgItem(IDC_TITLE_TEXT)->SetFont(&bold);
  dialog.SetDlgItemText(IDC_TITLE_TEXT, "ERROR: Halcyra DETECTION FAILED.\r\n");
  EXPECT_EQ(title->Text(), QStringLiteral("ERROR: Halcyra DETECTION FAILED.\n"));
  EXPECT_EQ(title->font().pixelSize(), 14);
  EXPECT_TRUE(title->font().bold());

  auto* upgrade = qobject_cast<QPushButton*>(WidgetOf(dialog, IDC_UPGRADE));
  ASSERT_NE(upgrade, nullptr);
  EXPECT_EQ(upgrade->text(), QStringLiteral("Upgrade"));
  dialog.GetDlgItem(IDC_UPGRADE)->EnableWindow(platform::FALSE);
  EXPECT_FALSE(upgrade->isEnabled());
  dialog.GetDlgItem(IDC_UPGRADE)->ShowWindow(platform::SW_HIDE);
  EXPECT_FALSE(upgrade->isVisible());
  // The program's bold button text still fits its button.
  dialog.GetDlgItem(IDC_TROUBLESHOOT)->SetFont(&bold);
  QWidget* troubleshoot = WidgetOf(dialog, IDC_TROUBLESHOOT);
  EXPECT_LT(QFontMetrics(troubleshoot->font()).horizontalAdvance("Troubleshoot"),
            troubleshoot->width());

  dialog.SetWindowText("Renamed");
  EXPECT_EQ(view->windowTitle(), QStringLiteral("Renamed"));
  EXPECT_TRUE(view->windowIcon().isNull());
  dialog.SetIcon(platform::LoadIcon(IDR_MAINFRAME), platform::TRUE);
  EXPECT_FALSE(view->windowIcon().isNull());
}

// A title drawn red while the dialog's colour hook says so.
class RedTitleDialog final : public platform::Dialog {
 public:
  using Dialog::Dialog;
  bool red = false;

 protected:
  void OnCtlColor(platform::ControlColors& colors, const platform::Control& control) override {
    if (red && control.GetDlgCtrlID() == IDC_TITLE_TEXT) {
      colors.SetTextColor(platform::RGB(255, 0, 0));
      colors.SetBkMode(platform::TRANSPARENT);
    }
  }
};

TEST_F(TemplateLayoutTest, TextColourComesFromTheDialogsColourHookWhenRedrawn) {
  RedTitleDialog dialog(IDD_WIZARD_WINDOW);
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow(platform::SW_SHOW);
  QWidget* title = WidgetOf(dialog, IDC_TITLE_TEXT);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(RedPixels(title->grab().toImage()), 0);

  dialog.red = true;
  dialog.GetDlgItem(IDC_TITLE_TEXT)->Invalidate();
  EXPECT_GT(RedPixels(title->grab().toImage()), 0);
  EXPECT_EQ(RedPixels(WidgetOf(dialog, IDC_STEP_LABEL)->grab().toImage()), 0);
}

TEST_F(TemplateLayoutTest, ProgressAndListsFollowTheModel) {
  platform::Dialog dialog(IDD_ENGINEERING_WINDOW);
  ASSERT_TRUE(dialog.Create());
  auto* progress = dialog.GetDlgItemAs<platform::ProgressBar>(IDC_DOWNLOAD_PROGRESS);
  ASSERT_NE(progress, nullptr);
  progress->SetRange32(0, 6400);
  progress->SetPos(1600);
  auto* bar = qobject_cast<QProgressBar*>(WidgetOf(dialog, IDC_DOWNLOAD_PROGRESS));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->maximum(), 6400);
  EXPECT_EQ(bar->value(), 1600);

  auto* types = dialog.GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST);
  ASSERT_NE(types, nullptr);
  types->AddString("DSP Firmware");
  types->AddString("CPLD Firmware");
  types->SetCurSel(1);
  auto* list = qobject_cast<QComboBox*>(WidgetOf(dialog, IDC_FIRMWARE_TYPE_LIST));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentText(), QStringLiteral("CPLD Firmware"));
  types->ResetContent();
  EXPECT_EQ(list->count(), 0);
}

TEST_F(TemplateLayoutTest, TheStatusWindowShowsItsLastLinesWhenScrolledToTheEnd) {
  platform::Dialog dialog(IDD_ENGINEERING_WINDOW);
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow(platform::SW_SHOW);
  auto* status = dialog.GetDlgItemAs<platform::Edit>(IDC_STATUS_EDIT);
  ASSERT_NE(status, nullptr);
  auto* shown = qobject_cast<QPlainTextEdit*>(WidgetOf(dialog, IDC_STATUS_EDIT));
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->isReadOnly());

  std::string log;
  for (int line = 1; line <= 60; ++line) {
    log += "Valid Enable USB response received " + std::to_string(line) + "\r\n";
    status->SetWindowText(log);
    status->ScrollToBottom();
  }
  EXPECT_EQ(shown->toPlainText().count(QLatin1Char('\r')), 0);
  QScrollBar* bar = shown->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_TRUE(shown->toPlainText().endsWith(QStringLiteral("received 60\n")));

  // New text shows its beginning until the program scrolls.
  status->SetWindowText(log);
  status->SetWindowText("first\r\n" + log);
  EXPECT_EQ(bar->value(), 0);
}

}  // namespace
