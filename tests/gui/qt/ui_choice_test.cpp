// TESSALY_UI=qt chooses the Qt view once it is registered.

#include <cstdlib>
#include <memory>
#include <string>

#include "gui/qt/qt_backend.h"
#include "platform/ui/ui_environment.h"
#include "tests/gui/qt/qt_test_support.h"

namespace {

// Answers nothing; only holds the place of the process's backend during the test.
class PlaceHolder final : public platform::UiBackend {
 public:
  void OpenMessageBox(const platform::MessageBoxRequest& /*request*/,
                      std::function<void(int)> /*answer*/) override {}
  void OpenFileDialog(const platform::FileDialogRequest& /*request*/,
                      std::function<void(platform::FileDialogAnswer)> /*answer*/) override {}
  void Withdraw(std::uint64_t /*request_id*/) override {}
  std::intptr_t ShellExecute(const platform::ShellRequest& /*request*/) override { return 0; }
  void ReportExit(int /*exit_code*/) override {}
};

TEST(UiChoiceTest, TessalyUiQtInstallsTheQtView) {
  platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
  platform::ScopedUiBackend restore(std::make_unique<PlaceHolder>());
  gui::RegisterQtUi();
  setenv("TESSALY_UI", "qt", 1);
  std::string error;
  const bool installed = platform::InstallUiFromEnvironment(error);
  unsetenv("TESSALY_UI");
  ASSERT_TRUE(installed) << error;
  EXPECT_NE(dynamic_cast<gui::QtBackend*>(&platform::GetUiBackend()), nullptr);
}

}  // namespace
