// PLACEHOLDER: replaced by the module that owns these handlers.
#include "upgrade_app/corvik_upgrade_dlg.h"

platform::LRESULT CCorvikUpgradeDlg::OnTaskSequenceCorvikDetect(platform::WPARAM /*wParam*/,
                                                                platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::SetExecuteTaskList(platform::WPARAM /*wParam*/,
                                                        platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnExecuteCVMTask(platform::WPARAM /*wParam*/,
                                                      platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnStartBBRecovery(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnExecuteBBRecovery(platform::WPARAM /*wParam*/,
                                                         platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnSendBBDSPFile(platform::WPARAM /*wParam*/,
                                                     platform::LPARAM /*lParam*/) {
  return 0;
}
void CCorvikUpgradeDlg::ResetUpgradeFlow() {}
