#include "upgrade_app/flow/dsp_download.h"

#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/window_messages.h"

void AnnounceDspDownload(CCorvikUpgradeDlg& dialog) {
  g_bAbort = 0;
  dialog.m_pApp->m_bSendingDSPFile = 1;
  dialog.EnableCloseCommand(false);
  dialog.EnableControl(platform::IDOK, platform::FALSE);
  dialog.SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_UPGRADING_FIRMWARE));
  dialog.ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
}
