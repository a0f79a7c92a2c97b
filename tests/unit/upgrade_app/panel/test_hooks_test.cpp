// The test hooks that no control carries: the bus-mail check, the bare worker job and the
// worker's test message.

#include <gtest/gtest.h>

#include <vector>

#include "device_link/bus_mail.h"
#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "tests/unit/upgrade_app/panel/panel_fixture.h"
#include "upgrade_app/engineering_panel.h"

namespace {

using panel_test::PanelTest;

void SendCommand(CCorvikUpgradeDlg& dialog, int id) {
  dialog.SendMessage(platform::WM_COMMAND, platform::MakeCommandParam(id, platform::BN_CLICKED));
}

TEST_F(PanelTest, TheBusMailHookChecksItsSampleFrameQuietlyAndHandsNothingOver) {
  const std::vector<platform::BYTE> expected = {0x10, 0x00, 0x10, 13, 14, 15, 16, 17, 18, 19,
                                                20,   21,   22,   23, 24, 25, 26, 27, 28, 29};
  EXPECT_EQ(SampleReplyFrame(), expected);
  CBusMail bus_mail;
  bus_mail.m_arrResponse = SampleReplyFrame();
  bus_mail.m_bResponsePresent = 1;
  // The length field covers bytes 3 to 18, whose sum (328) is not the last byte (29).
  EXPECT_EQ(bus_mail.VerifyResponse(), 8);

  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    SendCommand(dialog, IDC_TEST_BUS_MAIL);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_NONE);
    EXPECT_EQ(dialog.m_strStatusText, "");
  });
  FinishWorker();
  EXPECT_TRUE(ui_->Boxes().empty());
  EXPECT_EQ(WorkerMessages(), std::vector<platform::UINT>{WM_UPG_END_THREAD});
}

TEST_F(PanelTest, TheThreadTaskHookHandsABareCommandJobOverWithoutTimerOrPendingCommand) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    worker.m_strTaskFilePath = "left from before";
    worker.m_bTaskHasPayload = 1;
    const platform::BOOL auto_delete = worker.m_bAutoDelete;
    SendCommand(dialog, IDC_TEST_THREAD_TASK);
    EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(worker.m_strTaskFilePath, "");
    EXPECT_EQ(worker.m_nTaskCommand, kNoTaskCommand);
    EXPECT_EQ(worker.m_bTaskHasPayload, 0);
    EXPECT_EQ(worker.m_bAutoDelete, auto_delete);
    EXPECT_EQ(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(PanelEnabled(dialog));
    EXPECT_NE(dialog.WorkerEnd(), nullptr) << "the worker was resumed";
  });
  FinishWorker();
  EXPECT_EQ(WorkerMessages(), (std::vector<platform::UINT>{WM_UPG_RUN_TASK, WM_UPG_END_THREAD}));
}

TEST_F(PanelTest, TheWorkersTestMessageShowsAStopBoxOwnedByTheWindow) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) { EXPECT_EQ(dialog.SendMessage(WM_UPG_TEST_DLG), 0); });
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Test Dlg Message");
  EXPECT_EQ(boxes[0].caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONSTOP);
  EXPECT_EQ(boxes[0].owner_template, IDD_ENGINEERING_WINDOW);
}

}  // namespace
