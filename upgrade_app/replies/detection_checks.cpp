// PLACEHOLDER: replaced by the module that owns these handlers.
#include "upgrade_app/corvik_upgrade_dlg.h"

platform::LRESULT CCorvikUpgradeDlg::OnReceivedResponse(platform::WPARAM /*wParam*/,
                                                        platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnCVMReceivedResponse(platform::WPARAM /*wParam*/,
                                                           platform::LPARAM /*lParam*/) {
  return 0;
}
