#pragma once

// The engineering window under test: the main-window fixture in VARSOLIN mode, with a user
// interface that also answers file dialogs from a list and remembers what they offered.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/ui_backend.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"

namespace panel_test {

using upgrade_app_test::ShownBox;

struct OfferedFile {
  std::string filter;
  platform::DWORD flags = 0;
  std::optional<platform::UINT> owner_template;
};

// Answers every box with OK and each file dialog with the next queued answer (cancel when none
// is left); remembers both.
class PanelUiBackend final : public platform::UiBackend {
 public:
  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override {
    {
      const std::lock_guard lock(mutex_);
      boxes_.push_back({request.text, request.caption, request.flags, request.owner_template});
    }
    answer(platform::IDOK);
  }
  void OpenFileDialog(const platform::FileDialogRequest& request,
                      std::function<void(platform::FileDialogAnswer)> answer) override {
    platform::FileDialogAnswer chosen;
    {
      const std::lock_guard lock(mutex_);
      const platform::Dialog* owner =
          dynamic_cast<const platform::Dialog*>(platform::FromHandle(request.owner));
      files_.push_back({request.filter, request.flags,
                        owner != nullptr ? std::optional(owner->GetTemplateId()) : std::nullopt});
      if (!answers_.empty()) {
        chosen = answers_.front();
        answers_.pop_front();
      }
    }
    answer(chosen);
  }
  void Withdraw(std::uint64_t /*request_id*/) override {}
  std::intptr_t ShellExecute(const platform::ShellRequest& /*request*/) override {
    return platform::kShellSucceeded;
  }
  void ReportExit(int /*exit_code*/) override {}

  // The next file dialog is answered with `path`, or cancelled with nothing.
  void QueueFileAnswer(platform::FileDialogAnswer answer) {
    const std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
  }
  std::vector<ShownBox> Boxes() const {
    const std::lock_guard lock(mutex_);
    return boxes_;
  }
  std::vector<OfferedFile> Files() const {
    const std::lock_guard lock(mutex_);
    return files_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
  std::vector<OfferedFile> files_;
  std::deque<platform::FileDialogAnswer> answers_;
};

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
    return std::all_of(kPanelControls.begin(), kPanelControls.end(), [&](int id) {
      return dialog.GetDlgItem(id)->IsWindowEnabled() != platform::FALSE;
    });
  }
  static bool PanelDisabled(const CCorvikUpgradeDlg& dialog) {
    return std::none_of(kPanelControls.begin(), kPanelControls.end(), [&](int id) {
      return dialog.GetDlgItem(id)->IsWindowEnabled() != platform::FALSE;
    });
  }
  // Lets virtual time run until the reply time-out has fired; returns how long that took.
  static platform::Millis RunUntilReplyTimeout(const CCorvikUpgradeDlg& dialog) {
    const platform::Millis start = platform::GetClock().Now();
    EXPECT_TRUE(platform::RunModalLoop(
        [&] { return dialog.m_nReplyTimer == CCorvikUpgradeDlg::kNoTimer; }));
    return platform::GetClock().Now() - start;
  }

  PanelUiBackend* panel_ui_ = new PanelUiBackend;
  platform::ScopedUiBackend panel_ui_scope_{std::unique_ptr<platform::UiBackend>(panel_ui_)};
};

inline constexpr char kNoResponseStart[] = "\r\nThere is no response from Halcyra.";

}  // namespace panel_test
