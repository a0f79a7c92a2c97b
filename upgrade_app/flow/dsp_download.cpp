// The two DSP downloads that the recovery dialog leads to (the application image again, or the
// composite image of the boot-block recovery) start the same way; only the image and the
// worker's auto-delete switch differ.

#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/window_messages.h"

void CCorvikUpgradeDlg::HandOverDspImage(const std::string& path, bool auto_delete) {
  // The worker announces the download's end; until then the window offers no way out and no
  // second start.
  g_bAbort = 0;
  m_pApp->m_bSendingDSPFile = 1;
  EnableCloseCommand(false);
  EnableControl(platform::IDOK, platform::FALSE);
  EnableControl(IDC_UPGRADE, platform::FALSE);
  SetControlText(IDC_STEP_TEXT, FindResourceString(IDS_STEP_UPGRADING_FIRMWARE));
  ShowControl(IDC_WARNING_TEXT, platform::SW_SHOW);
  _STRUCT_THREAD_TASK task;
  task.nTaskKind = TASK_SEND_DSP_FILE;
  task.strFilePath = path;
  HandOverTask(task, auto_delete);
  StartTimer(kReplyTimeout, kReplyTimerKind);
}
