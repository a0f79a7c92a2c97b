// Send FW: the firmware type and path checks, and the download jobs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "tests/unit/upgrade_app/panel/panel_fixture.h"

namespace {

using panel_test::kNoResponseStart;
using panel_test::PanelTest;

constexpr int kDspType = 0;
constexpr int kCpldType = 1;
constexpr int kCvmType = 2;

// Makes `folder` the current directory for the guard's lifetime.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
  ~ScopedCurrentDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

void ChooseType(CCorvikUpgradeDlg& dialog, int type) {
  dialog.GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST)->SetCurSel(type);
}

TEST_F(PanelTest, SendFirmwareWithNoTypeChosenSaysSoOpensTheListAndDisablesNothing) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    dialog.m_strFilePath = "/fw/image.bin";
    Click(dialog, IDC_SEND_FW);
    EXPECT_EQ(dialog.m_strStatusText,
              "\r\nPlease select a F/W Type first from select F/W Combo Box\r\n");
    EXPECT_NE(List(dialog, IDC_FIRMWARE_TYPE_LIST)->GetDroppedState(), platform::FALSE);
    EXPECT_TRUE(PanelEnabled(dialog));
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_NONE);
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
  });
}

TEST_F(PanelTest, APathWithoutTheTypesExtensionIsReportedAndThePanelComesBack) {
  struct Case {
    int type;
    const char* path;
    const char* line;
  };
  const std::vector<Case> cases = {
      {kDspType, "/fw/cpld.xsvf", "\r\n\r\nPlease select .bin file!\r\n\r\n"},
      {kDspType, "", "\r\n\r\nPlease select .bin file!\r\n\r\n"},
      {kCpldType, "/fw/image.bin", "\r\n\r\nPlease select .xsvf file!\r\n\r\n"},
      {kCvmType, "/fw/radio.HEX", "\r\n\r\nPlease select .hex file!\r\n\r\n"},
  };
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    for (const Case& item : cases) {
      ChooseType(dialog, item.type);
      dialog.m_strFilePath = item.path;
      dialog.m_strStatusText.clear();
      Click(dialog, IDC_SEND_FW);
      EXPECT_EQ(dialog.m_strStatusText, item.line) << item.path;
      EXPECT_TRUE(PanelEnabled(dialog)) << item.path;
      EXPECT_NE(dialog.GetDlgItem(IDC_UPGRADE)->IsWindowEnabled(), platform::FALSE);
      EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_NONE) << item.path;
      EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer) << item.path;
    }
  });
  FinishWorker();
  EXPECT_EQ(WorkerMessages(), std::vector<platform::UINT>{WM_UPG_END_THREAD});
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(PanelTest, DspAndCpldImagesGoToTheWorkerWithATwentySecondReplyTimeout) {
  struct Case {
    int type;
    const char* path;
    int kind;
  };
  const std::vector<Case> cases = {{kDspType, "/fw/images.bin.d/dsp", TASK_SEND_DSP_FILE},
                                   {kCpldType, "/fw/cpld.xsvf", TASK_SEND_CPLD_FILE}};
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    for (const Case& item : cases) {
      ChooseType(dialog, item.type);
      dialog.m_strFilePath = item.path;
      dialog.m_nDownloadsDone = 2;
      worker.m_bAutoDelete = platform::TRUE;
      Click(dialog, IDC_SEND_FW);
      EXPECT_EQ(worker.m_nTaskKind, item.kind);
      EXPECT_EQ(worker.m_strTaskFilePath, item.path);
      EXPECT_EQ(worker.m_bAutoDelete, platform::FALSE);
      EXPECT_EQ(dialog.m_nDownloadsDone, 0);
      EXPECT_EQ(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
      EXPECT_TRUE(PanelDisabled(dialog));
      EXPECT_EQ(RunUntilReplyTimeout(dialog), 20000) << item.path;
      EXPECT_NE(dialog.m_strStatusText.find(kNoResponseStart), std::string::npos);
      EXPECT_TRUE(PanelEnabled(dialog));
    }
  });
  FinishWorker();
  EXPECT_EQ(WorkerMessages(),
            (std::vector<platform::UINT>{WM_UPG_RUN_TASK, WM_UPG_RUN_TASK, WM_UPG_END_THREAD}));
}

TEST_F(PanelTest, ARadioModuleFileThatCannotBeConvertedSendsNothing) {
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    ChooseType(dialog, kCvmType);
    dialog.m_strFilePath = (root_.Path() / "missing.hex").string();
    Click(dialog, IDC_SEND_FW);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskKind, TASK_NONE);
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_TRUE(PanelEnabled(dialog));
  });
  FinishWorker();
  EXPECT_EQ(WorkerMessages(), std::vector<platform::UINT>{WM_UPG_END_THREAD});
}

// Runs the real radio-module image preparer.
TEST_F(PanelTest, ARadioModuleImageIsConvertedAndItsDownloadFileSent) {
  const std::filesystem::path hex = root_.Path() / "radio.hex";
  std::ofstream(hex) << ":10010000000102030405060708090A0B0C0D0E0F77\n:00000001FF\n";
  app_.m_strCVMFilePath = (root_.Path() / "shipped.hex").string();
  const std::string download = (root_.Path() / "shipped.cvm").string();
  const ScopedCurrentDirectory here(root_.Path());  // where the preparer keeps its temporary file
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    ChooseType(dialog, kCvmType);
    dialog.m_strFilePath = hex.string();
    Click(dialog, IDC_SEND_FW);
    const CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    EXPECT_EQ(worker.m_nTaskKind, TASK_SEND_CVM_FILE);
    EXPECT_EQ(worker.m_strTaskFilePath, download);
    EXPECT_EQ(dialog.m_strFilePath, download) << "the download file's path stays";
    EXPECT_EQ(worker.m_nImageLength, 16);
    EXPECT_EQ(worker.m_nImageStart, 0x100);
    EXPECT_EQ(worker.m_nImageLength, dialog.m_nCVMImageLength);
    EXPECT_EQ(worker.m_nImageChecksum, static_cast<int>(dialog.m_nCVMImageChecksum));
    EXPECT_TRUE(std::filesystem::exists(download));
    EXPECT_EQ(RunUntilReplyTimeout(dialog), 20000);
  });
  EXPECT_TRUE(ui_->Boxes().empty());
}

}  // namespace
