// PLACEHOLDER: replaced by the module that owns these handlers.
#include "upgrade_app/corvik_upgrade_dlg.h"

platform::LRESULT CCorvikUpgradeDlg::OnStartConsoleParams(platform::WPARAM /*wParam*/,
                                                          platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnExecuteConsoleParamList(platform::WPARAM /*wParam*/,
                                                               platform::LPARAM /*lParam*/) {
  return 0;
}
