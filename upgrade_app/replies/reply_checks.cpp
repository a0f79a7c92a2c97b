// PLACEHOLDER: replaced by the module that owns these handlers.
#include "upgrade_app/corvik_upgrade_dlg.h"

platform::LRESULT CCorvikUpgradeDlg::ONGetReceiveResponseThread(platform::WPARAM /*wParam*/,
                                                                platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::FileSendStatus(platform::WPARAM /*wParam*/,
                                                    platform::LPARAM /*lParam*/) {
  return 0;
}
