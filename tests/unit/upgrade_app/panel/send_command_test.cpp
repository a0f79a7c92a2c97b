// Send Command, and the status box's own buttons.

#include <gtest/gtest.h>

#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "tests/unit/upgrade_app/panel/panel_fixture.h"

namespace {

using panel_test::kNoResponseStart;
using panel_test::PanelTest;

constexpr char kNoCommandLine[] =
    "\r\nPlease select a command first from select Command Combo Box\r\n";

TEST_F(PanelTest, SendCommandWithNothingChosenSaysSoAndOpensTheList) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    Click(dialog, IDC_SEND_COMMAND);
    EXPECT_EQ(dialog.m_strStatusText, kNoCommandLine);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), kNoCommandLine);
    EXPECT_NE(List(dialog, IDC_COMMAND_LIST)->GetDroppedState(), platform::FALSE);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_NONE);
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(PanelEnabled(dialog));
  });
  FinishWorker();
  EXPECT_EQ(WorkerMessages(), std::vector<platform::UINT>{WM_UPG_END_THREAD});
}

TEST_F(PanelTest, ACommandGoesToTheWorkerAndThePanelWaitsForTheReplyOrTheTimeout) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    worker.m_strTaskFilePath = "left from before";
    Choose(dialog, IDC_COMMAND_LIST, "UPD_GET_CPLD_FW_VER");
    Click(dialog, IDC_SEND_COMMAND);
    EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(worker.m_nTaskCommand, 0xD001);
    EXPECT_EQ(worker.m_strTaskFilePath, "");
    EXPECT_EQ(worker.m_bTaskHasPayload, 0);
    EXPECT_EQ(worker.m_bAutoDelete, platform::FALSE);
    EXPECT_EQ(dialog.m_nPendingCommand, 0xD001);
    EXPECT_TRUE(PanelDisabled(dialog));

    EXPECT_EQ(RunUntilReplyTimeout(dialog), 20000);
    EXPECT_EQ(dialog.m_strStatusText.rfind(kNoResponseStart, 0), 0U) << dialog.m_strStatusText;
    EXPECT_TRUE(PanelEnabled(dialog));

    // The image-end command needs a payload that Send Command does not give: the worker sends
    // nothing for it, and the time-out follows.
    Choose(dialog, IDC_COMMAND_LIST, "UPD_CVM_IMAGE_END");
    Click(dialog, IDC_SEND_COMMAND);
    EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(worker.m_nTaskCommand, 0xD019);
    EXPECT_EQ(worker.m_bTaskHasPayload, 0);
    EXPECT_EQ(dialog.m_nPendingCommand, 0xD019);
    EXPECT_EQ(RunUntilReplyTimeout(dialog), 20000);
  });
  FinishWorker();
  EXPECT_EQ(WorkerMessages(),
            (std::vector<platform::UINT>{WM_UPG_RUN_TASK, WM_UPG_RUN_TASK, WM_UPG_END_THREAD}));
}

TEST_F(PanelTest, ConsoleParametersAndTheHeaderAreLeftToTheirOwnSenders) {
  ui_->QueueFileAnswer(std::nullopt);  // the header command asks for its hex file
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    for (const char* command : {"UPD_INIT_UPGRADE_CONSOLEPARAMS", "UPD_SEND_CVM_HEADER"}) {
      Choose(dialog, IDC_COMMAND_LIST, command);
      Click(dialog, IDC_SEND_COMMAND);
      EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_NONE) << command;
      EXPECT_EQ(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending) << command;
      // No parameter file and no hex file here: nothing started, so the panel is back.
      EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer) << command;
      EXPECT_TRUE(PanelEnabled(dialog)) << command;
    }
  });
}

TEST_F(PanelTest, ClearWindowEmptiesTheTextThatTheNextStatusLineShowsAlone) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    Click(dialog, IDC_SEND_COMMAND);
    Click(dialog, IDC_SEND_COMMAND);
    const std::string twice = std::string(kNoCommandLine) + kNoCommandLine;
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), twice);
    Click(dialog, IDC_CLEAR_WINDOW);
    EXPECT_EQ(dialog.m_strStatusText, "");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), twice);
    Click(dialog, IDC_SEND_COMMAND);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), kNoCommandLine);
  });
}

TEST_F(PanelTest, ShowStatusKeepsStatusLinesComingWhateverTheCheckBoxSays) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    for (const int check : {1, 0}) {
      app_.m_bShowStatus = 0;
      Click(dialog, IDC_SHOW_STATUS);
      EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_SHOW_STATUS), static_cast<platform::UINT>(check));
      EXPECT_EQ(app_.m_bShowStatus, 1);
    }
  });
}

}  // namespace
