#include "upgrade_app/dialogs/fail_upgrade_dlg.h"

#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/dialogs/dialog_support.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace {

constexpr int kBoldHeight = -14;
constexpr platform::COLORREF kCautionColor = platform::RGB(255, 0, 0);

}  // namespace

const CHLCRFailUpgrade::Map CHLCRFailUpgrade::kMessageMap{
    Map::Button(IDC_BOOTROM_UPGRADE, &CHLCRFailUpgrade::OnBootROMUpgrade),
    Map::Button(IDC_APPLICATION_UPGRADE, &CHLCRFailUpgrade::OnApplicationUpgrade),
};

CHLCRFailUpgrade::CHLCRFailUpgrade(platform::HWND parent)
    : platform::Dialog(IDD_RECOVERY_DIALOG, parent) {}

bool CHLCRFailUpgrade::RouteMessage(platform::UINT message, platform::WPARAM wParam,
                                    platform::LPARAM lParam, platform::LRESULT& result) {
  return kMessageMap.Route(*this, message, wParam, lParam, result);
}

void CHLCRFailUpgrade::DoDataExchange(platform::DataExchange& exchange) {
  if (exchange.IsSaving()) return;
  m_staticCaution = GetDlgItem(IDC_CAUTION_TEXT);
  m_staticReadyText = GetDlgItem(IDC_READY_TEXT);
  m_staticEraseText = GetDlgItem(IDC_ERASE_TEXT);
}

platform::BOOL CHLCRFailUpgrade::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  CreateArialFont(m_fontBold, kBoldHeight, platform::FW_BOLD);
  for (platform::Control* const control :
       {m_staticCaution, m_staticReadyText, m_staticEraseText, GetDlgItem(IDC_BOOTROM_UPGRADE),
        GetDlgItem(IDC_APPLICATION_UPGRADE)}) {
    if (control != nullptr) control->SetFont(&m_fontBold);
  }
  return platform::TRUE;
}

void CHLCRFailUpgrade::OnCtlColor(platform::ControlColors& colors,
                                  const platform::Control& control) {
  platform::Dialog::OnCtlColor(colors, control);
  if (control.GetDlgCtrlID() == IDC_CAUTION_TEXT) {
    colors.SetTextColor(kCautionColor);
    colors.SetBkMode(platform::TRANSPARENT);
  }
}

void CHLCRFailUpgrade::OnBootROMUpgrade() { LeadOn(WM_UPG_BOOTROM_RECOVERY); }

void CHLCRFailUpgrade::OnApplicationUpgrade() { LeadOn(WM_UPG_SEND_DSP_FIRMWARE); }

void CHLCRFailUpgrade::LeadOn(platform::UINT message) {
  if (CCorvikUpgradeDlg* const main_window = ThreadMainDialog()) {
    main_window->m_bFailDialogShown = 0;
    main_window->PostMessage(message);
  }
  OnOK();
}

void CHLCRFailUpgrade::OnCancel() {
  if (CCorvikUpgradeDlg* const main_window = ThreadMainDialog()) {
    main_window->m_bFailDialogShown = 0;
    main_window->HaltSequence();
  }
  platform::Dialog::OnCancel();
}
