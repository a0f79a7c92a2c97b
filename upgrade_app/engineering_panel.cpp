// PLACEHOLDER: replaced by the module that owns these handlers.
#include "upgrade_app/corvik_upgrade_dlg.h"

void CCorvikUpgradeDlg::OnBrowse() {}
void CCorvikUpgradeDlg::BrowseCVMFile() {}
void CCorvikUpgradeDlg::OnSelchangeFirmwareType() {}
void CCorvikUpgradeDlg::OnSelchangeCommand() {}
void CCorvikUpgradeDlg::OnSendCommand() {}
void CCorvikUpgradeDlg::OnSendFW() {}
void CCorvikUpgradeDlg::OnClearWindow() {}
void CCorvikUpgradeDlg::OnShowStatus() {}
void CCorvikUpgradeDlg::OnTestBusMail() {}
void CCorvikUpgradeDlg::OnTestThreadTask() {}
platform::LRESULT CCorvikUpgradeDlg::OnTestDlgMessage(platform::WPARAM /*wParam*/,
                                                      platform::LPARAM /*lParam*/) {
  return 0;
}
