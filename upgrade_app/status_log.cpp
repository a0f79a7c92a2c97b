#include "upgrade_app/status_log.h"

#include <array>

#include "platform/exceptions.h"
#include "platform/sys/file.h"
#include "platform/sys/folders.h"
#include "platform/ui/edit.h"
#include "platform/ui/message_box.h"
#include "upgrade_app/app_constants.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

void ShowStatusText(CCorvikUpgradeDlg& dialog, platform::Edit* status_box) {
  if (status_box != nullptr) status_box->SetWindowText(dialog.m_strStatusText);
}

}  // namespace

// NOLINTNEXTLINE(performance-unnecessary-value-param): the copy guards against an aliased line
void UpdateStatus(CCorvikUpgradeDlg* pDlg, std::string strStatus) {
  try {
    auto* const status_box = pDlg->GetDlgItemAs<platform::Edit>(IDC_STATUS_EDIT);
    const CCorvikUpgradeApp& app = *pDlg->m_pApp;
    if (app.m_bEngineeringMode == 0) return;
    if (app.m_bShowStatus != 0) {
      pDlg->m_strStatusText += strStatus;
      ShowStatusText(*pDlg, status_box);
    }
    if (status_box != nullptr) status_box->ScrollToBottom();
    if (app.m_bStatusLogging != 0 && !WriteStatusFile(strStatus)) {
      pDlg->m_strStatusText += kStatusLogFailed;
      ShowStatusText(*pDlg, status_box);
    }
  } catch (const platform::CException&) {
    platform::AfxMessageBox("exception catched in UpdateStatus", platform::MB_OK);
  }
}

bool WriteStatusFile(const std::string& strStatus) {
  std::array<char, platform::MAX_PATH> app_data{};
  if (platform::SHGetSpecialFolderPathA(nullptr, app_data.data(), platform::CSIDL_APPDATA,
                                        platform::FALSE) == 0) {
    return false;
  }
  platform::CFile file;
  if (file.Open(std::string(app_data.data()) + "\\" + g_strStatusFileName,
                platform::CFile::modeWrite | platform::CFile::modeCreate |
                    platform::CFile::modeNoTruncate | platform::CFile::shareExclusive) == 0) {
    return false;
  }
  file.SeekToEnd();
  file.Write(strStatus.data(), static_cast<platform::UINT>(strStatus.size()));
  file.Close();
  return true;
}
