#include "upgrade_app/dialogs/dialog_support.h"

#include "platform/thread/win_thread.h"
#include "platform/thread/window.h"
#include "platform/ui/message_box.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"

platform::HWND ThreadMainWindow() {
  if (const platform::WinThread* const thread = platform::WinThread::Current()) {
    return thread->m_pMainWnd;
  }
  const CCorvikUpgradeApp* const app = GetCorvikUpgradeApp();
  return app != nullptr ? app->m_pMainWnd : nullptr;
}

CCorvikUpgradeDlg* ThreadMainDialog() {
  const platform::HWND main_window = ThreadMainWindow();
  if (main_window == nullptr) return nullptr;
  return dynamic_cast<CCorvikUpgradeDlg*>(platform::FromHandle(main_window));
}

void ShowBoxOverMainWindow(std::string_view text, std::string_view caption) {
  platform::MessageBox(ThreadMainWindow(), text, caption, platform::MB_OK);
}

void CreateArialFont(platform::Font& font, int height, int weight) {
  font.CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
}
