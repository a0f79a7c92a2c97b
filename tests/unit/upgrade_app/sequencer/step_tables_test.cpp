#include "upgrade_app/sequencer/step_tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/exhaustible_memory.h"
#include "tests/unit/upgrade_app/sequencer/sequencer_fixture.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

using upgrade_app_test::SequencerTest;

struct Row {
  int step, skip, type, argument, timeout, compare, delay;
};

std::vector<Row> Rows(const CCorvikUpgradeDlg& dialog) {
  std::vector<Row> rows;
  for (const _STRUCT_TASK& task : TaskRows(dialog)) {
    rows.push_back({task.nStep, task.nSkip, task.nType, task.nArgument, task.nTimeout,
                    task.bCompareVersion, task.nDelay});
  }
  return rows;
}

std::vector<int> RunningSteps(const CCorvikUpgradeDlg& dialog) {
  std::vector<int> steps;
  for (const _STRUCT_TASK& task : TaskRows(dialog)) {
    if (task.nSkip == 0) steps.push_back(task.nStep);
  }
  return steps;
}

void ExpectRows(const std::vector<Row>& actual, const std::vector<Row>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Row& a = actual[i];
    const Row& e = expected[i];
    EXPECT_EQ(std::vector<int>({a.step, a.skip, a.type, a.argument, a.timeout, a.compare, a.delay}),
              std::vector<int>({e.step, e.skip, e.type, e.argument, e.timeout, e.compare, e.delay}))
        << "row " << e.step;
  }
}

TEST_F(SequencerTest, FullTableRowsAndTheirSkipMarksFollowTheFlagsWord) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  app_.m_nDeviceNo = 4;
  SetTaskMap(&dialog, 0x0F, kVariantDspFlash);
  ExpectRows(Rows(dialog), {{1, 0, 4, 1, 2000, 1, 2000},
                            {2, 0, 5, 1, 2000, 1, 2000},
                            {3, 0, 0, 0xD0AA, 20000, 0, 2000},
                            {4, 0, 0, 0xD0AB, 20000, 1, 20000},
                            {5, 0, 0, 0xD0AA, 20000, 0, 2000},
                            {6, 0, 3, 1, 20000, 0, 2000},
                            {7, 0, 0, 0xD008, 20000, 0, 20000},
                            {8, 0, 2, 0, 6000, 0, 20000},
                            {9, 0, 0, 0xD0AA, 20000, 0, 2000},
                            {10, 0, 0, 0xD002, 20000, 1, 2000},
                            {11, 0, 3, 1, 20000, 0, 2000},
                            {12, 0, 0, 0xD009, 20000, 0, 20000},
                            {13, 0, 8, 1, 2000, 1, 2000},
                            {14, 0, 1, 0, 20000, 0, 20000}});
  EXPECT_EQ(app_.m_nDeviceNo, -3);

  SetTaskMap(&dialog, 0x0C, kVariantDspComposite);
  EXPECT_EQ(RunningSteps(dialog), (std::vector<int>{1, 2, 13}));
  EXPECT_EQ(Rows(dialog).size(), 14U);
  EXPECT_EQ(Rows(dialog)[11].argument, 0xD005);
  SetTaskMap(&dialog, 0x0D, kVariantDspFlash);
  EXPECT_EQ(RunningSteps(dialog), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 13}));
  SetTaskMap(&dialog, 0x0E, kVariantDspFlash);
  EXPECT_EQ(RunningSteps(dialog), (std::vector<int>{1, 2, 9, 10, 11, 12, 13, 14}));
}

TEST_F(SequencerTest, AConsoleWithDspMinor97GetsNoVersionQueryAndShiftedSteps) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  dialog.m_nDSPMinor = 97;
  SetTaskMap(&dialog, 0x0F, kVariantDspFlash);
  const std::vector<Row> rows = Rows(dialog);
  ASSERT_EQ(rows.size(), 13U);
  EXPECT_EQ(rows[9].type, kStepIdentify);
  EXPECT_EQ(rows[10].argument, 0xD009);
  EXPECT_EQ(rows[11].type, kStepWait);
  EXPECT_EQ(rows[12].step, 13);
  EXPECT_EQ(rows[12].type, kStepDspImage);
  for (const Row& row : rows) EXPECT_NE(row.argument, 0xD002);
}

TEST_F(SequencerTest, DspTablesSetTheBootBlockWishAndRebuildsLeaveNoOldRow) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  SetTaskMapDSP1209(&dialog);
  EXPECT_EQ(dialog.m_bSendBootBlock, 1);
  EXPECT_EQ(Rows(dialog).size(), 18U);
  EXPECT_EQ(RunningSteps(dialog), (std::vector<int>{1, 2, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
  EXPECT_EQ(Rows(dialog)[15].type, kStepBootBlock);

  dialog.SetTaskMapDS(0x0D);
  EXPECT_EQ(dialog.m_bSendBootBlock, 0);
  ExpectRows(Rows(dialog), {{10, 3, 1, 0, 6000, 0, 1000}});
  dialog.SetTaskMapDS(0x0E);
  ExpectRows(Rows(dialog), {{10, 0, 1, 0, 6000, 0, 1000}});

  dialog.SetTaskMapDSP1211(0x0F, kVariantDspFlash);
  EXPECT_EQ(dialog.m_bSendBootBlock, 0) << "only its own builders touch the wish";
  ExpectRows(Rows(dialog), {{1, 0, 4, 1, 1000, 1, 1000},
                            {2, 0, 5, 1, 1000, 1, 1000},
                            {3, 0, 3, 1, 6000, 0, 1000},
                            {4, 0, 0, 0xD009, 6000, 0, 10000},
                            {5, 0, 8, 1, 1000, 1, 1000},
                            {6, 0, 3, 1, 6000, 0, 1000},
                            {7, 0, 1, 0, 6000, 0, 1000}});
  dialog.SetTaskMapDSP1211(0x0D, kVariantDspFlash);
  EXPECT_EQ(RunningSteps(dialog), (std::vector<int>{1, 2, 5}));

  SetTaskMapBBRecovery(&dialog);
  EXPECT_EQ(dialog.m_bSendBootBlock, 1);
  ExpectRows(Rows(dialog), {{1, 0, 3, 1, 6000, 0, 1000}, {2, 0, 1, 0, 6000, 0, 1000}});
}

TEST_F(SequencerTest, DetectionTableGrowsInPhaseThreeAndKeepsTheDeviceNumber) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  app_.m_nDeviceNo = 2;
  for (const int phase : {0, 1, 2}) {
    dialog.m_nPhase = phase;
    SetTaskMapforCorvikDetection(&dialog);
    EXPECT_EQ(Rows(dialog).size(), 5U) << "phase " << phase;
  }
  dialog.m_nPhase = 3;
  SetTaskMapforCorvikDetection(&dialog);
  ExpectRows(Rows(dialog), {{1, 0, 10, 1, 25000, 0, 10000},
                            {2, 0, 3, 1, 20000, 0, 2000},
                            {3, 0, 3, 1, 20000, 0, 2000},
                            {4, 0, 0, 0xD0AA, 20000, 0, 2000},
                            {5, 0, 0, 0xD002, 20000, 0, 2000},
                            {6, 0, 0, 0xD003, 20000, 0, 2000},
                            {7, 0, 0, 0xD01C, 20000, 0, 2000},
                            {8, 0, 0, 0xD001, 20000, 0, 2000}});
  SetTaskMapConsoleParams(&dialog);
  EXPECT_EQ(app_.m_nDeviceNo, 2);
  ExpectRows(Rows(dialog), {{1, 0, 0, 0xD00B, 2000, 0, 20000},
                            {2, 0, 0, 0xD00B, 2000, 0, 20000},
                            {3, 0, 0, 0xD00B, 2000, 0, 20000}});
}

TEST_F(SequencerTest, RadioModuleVerificationAndConsoleTables) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  dialog.SetTaskMapCVM();
  ExpectRows(Rows(dialog), {{1, 0, 3, 1, 20000, 0, 2000},
                            {2, 0, 3, 1, 20000, 0, 2000},
                            {3, 0, 0, 0xD0AC, 20000, 0, 2000},
                            {4, 0, 0, 0xD003, 20000, 0, 2000},
                            {5, 0, 0, 0xD00A, 20000, 0, 8000},
                            {6, 0, 0, 0xD014, 20000, 0, 4000},
                            {7, 0, 0, 0xD01B, 20000, 0, 20000},
                            {8, 0, 7, 0, 700000, 0, 120000}});
  dialog.SetTaskMapVerification();
  ExpectRows(Rows(dialog), {{1, 0, 3, 1, 20000, 0, 2000},
                            {2, 0, 3, 1, 20000, 0, 2000},
                            {3, 0, 0, 0xD0AC, 20000, 0, 2000},
                            {4, 0, 0, 0xD003, 2000, 0, 2000},
                            {5, 0, 0, 0xD0AD, 10000, 0, 10000},
                            {6, 0, 0, 0xD0AE, 10000, 0, 6000},
                            {7, 0, 0, 0xD0AB, 20000, 1, 20000}});
  dialog.SetTaskMapConsole();
  ExpectRows(Rows(dialog), {{1, 0, 3, 1, 10000, 0, 2000},
                            {2, 0, 3, 1, 10000, 0, 2000},
                            {3, 0, 0, 0xD0AC, 10000, 0, 2000},
                            {4, 0, 0, 0xD01A, 60000, 0, 80000}});
}

TEST_F(SequencerTest, ABuilderThatRunsOutOfMemoryShowsItsBoxAndKeepsTheRowsInsertedSoFar) {
  tessaly_test::ExhaustibleMemory memory;
  const auto dialog = [&memory] {
    const tessaly_test::DefaultMemoryScope scope(memory);
    return std::make_unique<CCorvikUpgradeDlg>(IDD_WIZARD_WINDOW);
  }();
  memory.RunOutAfter(3);
  SetTaskMap(dialog.get(), 0x0F, kVariantDspFlash);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"exception catched in SetTaskMap"});
  EXPECT_EQ(ui_->Boxes().front().flags, platform::MB_OK);
  EXPECT_EQ(RunningSteps(*dialog), (std::vector<int>{1, 2, 3}));
}

}  // namespace
