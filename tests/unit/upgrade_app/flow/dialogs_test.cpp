#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "tests/unit/upgrade_app/flow/flow_fixture.h"
#include "upgrade_app/dialogs/fail_upgrade_dlg.h"
#include "upgrade_app/dialogs/options_dlg.h"
#include "upgrade_app/resources/string_table.h"

namespace {

using upgrade_flow_test::FlowTest;
using upgrade_flow_test::WatchedWindow;

const platform::LogFont kQuestionFont = upgrade_app_test::ArialFont(-16, platform::FW_BOLD);

class FollowUpDialogTest : public FlowTest {
 protected:
  // Shows the status question over the running main window; `answer` gets it once it is up.
  platform::INT_PTR AskStatus(WatchedWindow& window,
                              const std::function<void(platform::Dialog&)>& answer) {
    platform::INT_PTR result = 0;
    Answering(answer, [&] {
      COptionsDlg options(window.GetSafeHwnd());
      result = options.DoModal();
    });
    return result;
  }

  // The box shown last, if it is the only one since `count` boxes.
  std::optional<upgrade_app_test::ShownBox> NewBox(std::size_t count) const {
    const auto boxes = ui_->Boxes();
    if (boxes.size() != count + 1) return std::nullopt;
    return boxes.back();
  }

  static void Choose(platform::Dialog& dialog, int radio) {
    dialog.CheckDlgButton(radio, platform::BST_CHECKED);
  }
};

TEST_F(FollowUpDialogTest, TheStatusQuestionAsksForAChoiceAndStaysOpenWithoutOne) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  Run(window, {[&] {
        const platform::INT_PTR result = AskStatus(window, [&](platform::Dialog& options) {
          EXPECT_EQ(options.GetTemplateId(), IDD_OPTIONS_DIALOG);
          EXPECT_EQ(options.GetDlgItemText(IDC_OPTIONS_HEADING),
                    FindResourceString(IDS_READ_INSTRUCTIONS));
          for (const int id : {IDC_OPTIONS_HEADING, IDC_OPTION_READY, IDC_OPTION_SEARCHING,
                               IDC_OPTION_NO_SIGNAL, IDC_OPTION_NOT_REGISTERED}) {
            EXPECT_EQ(options.GetDlgItem(id)->GetFont(), kQuestionFont) << "control " << id;
          }
          EXPECT_EQ(options.GetRadioGroupIndex(IDC_OPTION_READY), -1);
          Click(options, IDC_OPTIONS_NEXT);
          const auto box = NewBox(0);
          ASSERT_TRUE(box.has_value());
          EXPECT_EQ(box->text, "Choose one of the listed options and then click Next");
          EXPECT_EQ(box->caption, "Halcyra Software Upgrade");
          EXPECT_EQ(box->flags, platform::MB_OK);
          EXPECT_EQ(box->owner_template, IDD_OPTIONS_DIALOG);
          EXPECT_EQ(TopDialog(), &options);
          options.SendMessage(platform::WM_CLOSE);
        });
        EXPECT_EQ(result, platform::IDCANCEL);
      }});
  EXPECT_EQ(ui_->Boxes().size(), 1U);
}

TEST_F(FollowUpDialogTest, ReadyAndNoSignalCloseTheQuestionThenAnswerOverTheMainWindow) {
  const struct {
    int radio;
    platform::UINT text;
  } answers[] = {{IDC_OPTION_READY, IDS_PHONE_READY},
                 {IDC_OPTION_NO_SIGNAL, IDS_PHONE_NOT_REGISTERED}};
  for (const auto& answer : answers) {
    SCOPED_TRACE(answer.radio);
    WatchedWindow window(IDD_WIZARD_WINDOW);
    const std::size_t boxes_before = ui_->Boxes().size();
    Run(window, {[&] {
          const platform::INT_PTR result = AskStatus(window, [&](platform::Dialog& options) {
            Choose(options, answer.radio);
            Click(options, IDC_OPTIONS_NEXT);
          });
          EXPECT_EQ(result, platform::IDCANCEL);
        }});
    const auto box = NewBox(boxes_before);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, FindResourceString(answer.text));
    EXPECT_EQ(box->caption, "Halcyra Software Upgrade");
    EXPECT_EQ(box->flags, platform::MB_OK);
    EXPECT_EQ(box->owner_template, IDD_WIZARD_WINDOW);
    FinishWorker();
  }
}

TEST_F(FollowUpDialogTest, SearchingAsksAgainAfterTheQuestionHasClosed) {
  const struct {
    std::optional<int> radio;
    platform::UINT text;
    std::optional<platform::UINT> owner;
  } answers[] = {{IDC_SEARCHING_READY, IDS_PHONE_READY, IDD_WIZARD_WINDOW},
                 {IDC_SEARCHING_NO_SIGNAL, IDS_PHONE_NOT_REGISTERED, IDD_WIZARD_WINDOW},
                 {std::nullopt, IDS_CHOOSE_OPTION, IDD_SEARCHING_DIALOG}};
  for (const auto& answer : answers) {
    SCOPED_TRACE(answer.text);
    WatchedWindow window(IDD_WIZARD_WINDOW);
    const std::size_t boxes_before = ui_->Boxes().size();
    Run(window, {[&] {
          AskStatus(window, [&](platform::Dialog& options) {
            Choose(options, IDC_OPTION_SEARCHING);
            Answering(
                [&](platform::Dialog& searching) {
                  EXPECT_EQ(searching.GetTemplateId(), IDD_SEARCHING_DIALOG);
                  EXPECT_EQ(searching.GetParentHwnd(), window.GetSafeHwnd());
                  EXPECT_EQ(searching.GetDlgItemText(IDC_SEARCHING_TEXT),
                            FindResourceString(IDS_PHONE_SEARCHING));
                  for (const int id :
                       {IDC_SEARCHING_TEXT, IDC_SEARCHING_READY, IDC_SEARCHING_NO_SIGNAL}) {
                    EXPECT_EQ(searching.GetDlgItem(id)->GetFont(), kQuestionFont)
                        << "control " << id;
                  }
                  if (answer.radio) Choose(searching, *answer.radio);
                  Click(searching, IDC_SEARCHING_NEXT);
                  const auto box = NewBox(boxes_before);
                  ASSERT_TRUE(box.has_value());
                  EXPECT_EQ(box->text, FindResourceString(answer.text));
                  EXPECT_EQ(box->caption, "Halcyra Software Upgrade");
                  EXPECT_EQ(box->owner_template, answer.owner);
                  searching.SendMessage(platform::WM_CLOSE);
                  // The question had closed before this dialog opened.
                  EXPECT_EQ(TopDialog(), &window);
                },
                [&] { Click(options, IDC_OPTIONS_NEXT); });
          });
        }});
    EXPECT_EQ(ui_->Boxes().size(), boxes_before + 1);
    FinishWorker();
  }
}

TEST_F(FollowUpDialogTest, NotRegisteredShowsTheStepsThatCompleteTheUpgrade) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  std::optional<platform::INT_PTR> complete_result;
  Run(window, {[&] {
        AskStatus(window, [&](platform::Dialog& options) {
          Choose(options, IDC_OPTION_NOT_REGISTERED);
          Answering(
              [&](platform::Dialog& complete) {
                EXPECT_EQ(complete.GetTemplateId(), IDD_COMPLETE_DIALOG);
                const struct {
                  int id;
                  platform::UINT text;
                  std::optional<platform::LogFont> font;
                } lines[] = {
                    {IDC_COMPLETE_HEADING, IDS_READ_INSTRUCTIONS,
                     upgrade_app_test::ArialFont(-16, platform::FW_BOLD)},
                    {IDC_COMPLETE_RESULT, IDS_UPGRADE_WAS_SUCCESSFUL,
                     upgrade_app_test::ArialFont(-12, platform::FW_NORMAL)},
                    {IDC_COMPLETE_STEPS_HEADING, IDS_COMPLETE_STEPS_HEADING,
                     upgrade_app_test::ArialFont(-14, platform::FW_BOLD)},
                    {IDC_COMPLETE_STEPS, IDS_REGISTER_STEPS, std::nullopt},
                };
                for (const auto& line : lines) {
                  SCOPED_TRACE(line.id);
                  EXPECT_EQ(complete.GetDlgItemText(line.id), FindResourceString(line.text));
                  EXPECT_EQ(complete.GetDlgItem(line.id)->GetFont(),
                            line.font.value_or(complete.GetFont()));
                }
                Click(complete, platform::IDOK);
                EXPECT_EQ(TopDialog(), &window);
                complete_result = platform::IDOK;
              },
              [&] { Click(options, IDC_OPTIONS_NEXT); });
        });
      }});
  EXPECT_EQ(complete_result, platform::IDOK);
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(FollowUpDialogTest, TheRecoveryDialogShowsItsCautionInBoldRed) {
  WatchedWindow window(IDD_WIZARD_WINDOW);
  Run(window, {[&] {
        Answering(
            [&](platform::Dialog& recovery) {
              for (const int id : {IDC_CAUTION_TEXT, IDC_READY_TEXT, IDC_ERASE_TEXT,
                                   IDC_BOOTROM_UPGRADE, IDC_APPLICATION_UPGRADE}) {
                EXPECT_EQ(recovery.GetDlgItem(id)->GetFont(),
                          upgrade_app_test::ArialFont(-14, platform::FW_BOLD))
                    << "control " << id;
              }
              const platform::ControlColors caution =
                  recovery.ColorsOf(*recovery.GetDlgItem(IDC_CAUTION_TEXT));
              EXPECT_EQ(caution.TextColor(), platform::RGB(255, 0, 0));
              EXPECT_TRUE(caution.IsTransparent());
              EXPECT_FALSE(recovery.ColorsOf(*recovery.GetDlgItem(IDC_ERASE_TEXT)).TextColor());
              recovery.SendMessage(platform::WM_CLOSE);
            },
            [&] { window.ShowFailDialogOnce(); });
      }});
}

TEST_F(FollowUpDialogTest, EachRecoveryButtonHandsItsChoiceToTheMainWindow) {
  const struct {
    int button;
    platform::UINT message;
  } choices[] = {{IDC_BOOTROM_UPGRADE, WM_UPG_BOOTROM_RECOVERY},
                 {IDC_APPLICATION_UPGRADE, WM_UPG_SEND_DSP_FIRMWARE}};
  for (const auto& choice : choices) {
    SCOPED_TRACE(choice.button);
    WatchedWindow window(IDD_WIZARD_WINDOW);
    window.Hold(WM_UPG_BOOTROM_RECOVERY);
    window.Hold(WM_UPG_SEND_DSP_FIRMWARE);
    platform::INT_PTR result = 0;
    Run(window, {[&] {
                   window.DisableAllButtons();
                   window.m_bFailDialogShown = 1;
                   Answering([&](platform::Dialog& recovery) { Click(recovery, choice.button); },
                             [&] {
                               CHLCRFailUpgrade recovery(window.GetSafeHwnd());
                               result = recovery.DoModal();
                             });
                   EXPECT_EQ(window.m_bFailDialogShown, 0);
                 },
                 [&] {
                   EXPECT_TRUE(window.Took(choice.message));
                   // The flow goes on: the buttons stay with it.
                   EXPECT_FALSE(Enabled(window, IDC_UPGRADE));
                 }});
    EXPECT_EQ(result, platform::IDOK);
    EXPECT_EQ(window.Took(WM_UPG_BOOTROM_RECOVERY) + window.Took(WM_UPG_SEND_DSP_FIRMWARE), 1);
    FinishWorker();
  }
}

TEST_F(FollowUpDialogTest, ARecoveryDialogWithoutAMainWindowJustCloses) {
  ASSERT_EQ(app_.m_pMainWnd, nullptr);
  CHLCRFailUpgrade by_button;
  EXPECT_EQ(RunModal(by_button, [&] { Click(by_button, IDC_APPLICATION_UPGRADE); }),
            platform::IDOK);
  CHLCRFailUpgrade by_escape;
  EXPECT_EQ(RunModal(by_escape, [&] { Click(by_escape, platform::IDCANCEL); }), platform::IDCANCEL);
}

}  // namespace
