#pragma once

// The engineering window under test: the main-window fixture in VARSOLIN mode.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"

namespace panel_test {

using upgrade_app_test::OfferedFile;
using upgrade_app_test::ShownBox;

// The panel controls that a job disables and its reply or time-out enables again.
inline const std::vector<int> kPanelControls = {
    IDC_BROWSE,  IDC_DETECT_USB_DEVICE, IDC_RESET_USB_DEVICE,   IDC_SHOW_STATUS, IDC_SEND_COMMAND,
    IDC_SEND_FW, IDC_COMMAND_LIST,      IDC_FIRMWARE_TYPE_LIST, IDC_CLEAR_WINDOW};

class PanelTest : public upgrade_app_test::MainWindowTest {
 protected:
  PanelTest() { app_.m_bEngineeringMode = 1; }

  // Runs `body` inside the modal loop of an engineering window, then closes it.
  void WithPanel(const std::function<void(CCorvikUpgradeDlg&)>& body) {
    CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
    RunModal(dialog, [&] {
      body(dialog);
      dialog.SendMessage(platform::WM_CLOSE);
    });
  }

  // A click of the user on a button or check box of the window.
  static void Click(CCorvikUpgradeDlg& dialog, int id) {
    auto* const button = dialog.GetDlgItemAs<platform::Button>(id);
    ASSERT_NE(button, nullptr);
    button->Click();
  }
  // The user picks the item `text` of list `id` (its selection change follows).
  static void Choose(CCorvikUpgradeDlg& dialog, int id, const std::string& text) {
    auto* const list = List(dialog, id);
    const int index = list->FindStringExact(-1, text);
    ASSERT_NE(index, platform::CB_ERR) << text;
    list->ChooseItem(index);
  }
  static platform::ComboBox* List(CCorvikUpgradeDlg& dialog, int id) {
    return dialog.GetDlgItemAs<platform::ComboBox>(id);
  }
  static bool PanelEnabled(const CCorvikUpgradeDlg& dialog) {
    return std::all_of(kPanelControls.begin(), kPanelControls.end(),
                       [&](int id) { return Enabled(dialog, id); });
  }
  static bool PanelDisabled(const CCorvikUpgradeDlg& dialog) {
    return std::none_of(kPanelControls.begin(), kPanelControls.end(),
                        [&](int id) { return Enabled(dialog, id); });
  }
  // Lets virtual time run until the reply time-out has fired; returns how long that took.
  static platform::Millis RunUntilReplyTimeout(const CCorvikUpgradeDlg& dialog) {
    const platform::Millis start = platform::GetClock().Now();
    EXPECT_TRUE(platform::RunModalLoop(
        [&] { return dialog.m_nReplyTimer == CCorvikUpgradeDlg::kNoTimer; }));
    return platform::GetClock().Now() - start;
  }
};

inline constexpr char kNoResponseStart[] = "\r\nThere is no response from Halcyra.";

}  // namespace panel_test
