// PLACEHOLDER: replaced by the module that owns these handlers.
#include "upgrade_app/corvik_upgrade_dlg.h"

void CCorvikUpgradeDlg::DisplayDetectionFailed() {}
void CCorvikUpgradeDlg::OnNext() {}
void CCorvikUpgradeDlg::OnTroubleshoot() {}
platform::LRESULT CCorvikUpgradeDlg::OnSendDSPFirmware(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnDSPFirmwareFile(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnEnableUpgrade(platform::WPARAM /*wParam*/,
                                                     platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnCVMFirmwareFile(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  return 0;
}
platform::LRESULT CCorvikUpgradeDlg::OnBootBlockFirmwareFile(platform::WPARAM /*wParam*/,
                                                             platform::LPARAM /*lParam*/) {
  return 0;
}
void CCorvikUpgradeDlg::ShowFailDialogOnce() {}
void CCorvikUpgradeDlg::OnCtlColor(platform::ControlColors& /*colors*/,
                                   const platform::Control& /*control*/) {}
