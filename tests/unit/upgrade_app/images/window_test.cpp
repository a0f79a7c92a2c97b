// The main window's radio-module header and console-parameter sequence, with the worker's job
// fields as what was sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/text_format.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "tests/unit/upgrade_app/images/image_files.h"
#include "upgrade_app/images/crc32.h"
#include "upgrade_app/images/cvm_image.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace {

namespace fs = std::filesystem;

constexpr char kCvmHexPath[] =
    "C:\\Program Files\\Orvanta\\Halcyra Upgrade\\Firmware\\CVM_0110.hex";
constexpr int kSendCvmHeader = 0xD01B;
constexpr int kConsoleParams = 0xD00B;

// The header payload: length, start and checksum little-endian, then 0xFF.
std::vector<platform::BYTE> Header(std::uint32_t length, std::uint32_t start,
                                   std::uint32_t checksum) {
  std::vector<platform::BYTE> header;
  for (const std::uint32_t field : {length, start, checksum}) {
    for (unsigned shift = 0; shift < 32; shift += 8) {
      header.push_back(static_cast<platform::BYTE>(field >> shift));
    }
  }
  header.resize(kCvmHeaderSize, 0xFF);
  return header;
}

class ImageWindowTest : public upgrade_app_test::MainWindowTest {
 protected:
  ImageWindowTest() {
    sample_root::WriteSampleRoot(root_.Path());
    app_.m_strCVMFilePath = kCvmHexPath;
    app_.m_strInstallDirectory = sample_root::kInstallDirectory;
  }

  bool WorkerGotAJob() const {
    const std::vector<platform::UINT> messages = WorkerMessages();
    return std::find(messages.begin(), messages.end(), WM_UPG_RUN_TASK) != messages.end();
  }

  const std::vector<std::uint8_t> image_ = sample_root::MakeFillerImage(4096, 0xC7A);
  images_test::ScopedCurrentDirectory current_directory_{root_.Path() / "Work"};
};

TEST_F(ImageWindowTest, TheWizardSendsTheHeaderOfTheSettingsImage) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    dialog.m_strFilePath = "left from before";
    EXPECT_EQ(dialog.SendMessage(WM_UPG_SEND_CVM_HEADER), 0);
    EXPECT_EQ(dialog.m_strFilePath, kCvmHexPath);
    const CUpGradeThread& job = *dialog.m_pUpgradeThread;
    EXPECT_EQ(job.m_nTaskKind, TASK_SEND_COMMAND);
    EXPECT_EQ(job.m_nTaskCommand, kSendCvmHeader);
    EXPECT_EQ(job.m_bTaskHasPayload, 1);
    EXPECT_EQ(job.m_arrTaskPayload, Header(4096, 0x10000, Crc32(image_.data(), image_.size())));
    EXPECT_EQ(dialog.m_nPendingCommand, kSendCvmHeader);
    EXPECT_NE(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    dialog.SendMessage(platform::WM_CLOSE);
  });
  EXPECT_TRUE(ui_->Boxes().empty());
  FinishWorker();
  EXPECT_TRUE(WorkerGotAJob());
}

TEST_F(ImageWindowTest, TheEngineeringWindowSendsTheChosenFileAndLogsTheHeader) {
  app_.m_bEngineeringMode = 1;
  const std::string chosen = "C:\\Program Files\\Orvanta\\other.hex";
  const std::vector<std::uint8_t> covered = {1, 2, 3, 4, 5, 0xFF};
  const std::uint32_t crc = Crc32(covered.data(), covered.size());
  // The header carries the start's 32 bits; the log line prints it as a 32-bit long.
  const std::map<std::uint32_t, std::string> logged_starts = {
      {0x200, "512"}, {0x80000000, "-2147483648"}, {0xFFFFFF00, "-256"}};
  for (const auto& logged_start : logged_starts) {
    const std::uint32_t start = logged_start.first;
    const std::string& logged = logged_start.second;
    SCOPED_TRACE(logged);
    sample_root::WriteFile(sample_root::HostPath(root_.Path(), chosen),
                           sample_root::MakeIntelHex({1, 2, 3, 4, 5}, start));
    CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
    RunModal(dialog, [&] {
      dialog.m_strFilePath = chosen;
      dialog.SendMessage(WM_UPG_SEND_CVM_HEADER);
      EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskCommand, kSendCvmHeader);
      EXPECT_EQ(dialog.m_pUpgradeThread->m_arrTaskPayload, Header(5, start, crc));
      const std::string line =
          platform::Format("\r\nData size :5\r\n, Data Offset = %s \r\n, Checksum = %lu \r\n",
                           logged.c_str(), static_cast<unsigned long>(crc));
      EXPECT_NE(dialog.m_strStatusText.find(line), std::string::npos) << dialog.m_strStatusText;
      dialog.SendMessage(platform::WM_CLOSE);
    });
  }
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(ImageWindowTest, WithoutAFileNothingIsSentAndThePanelComesBack) {
  app_.m_bEngineeringMode = 1;
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  RunModal(dialog, [&] {
    dialog.DisableAllButtons();
    dialog.SendMessage(WM_UPG_SEND_CVM_HEADER);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskCommand, kNoTaskCommand);
    EXPECT_EQ(dialog.m_nPendingCommand, CCorvikUpgradeDlg::kNothingPending);
    EXPECT_TRUE(Enabled(dialog, IDC_SEND_COMMAND));
    EXPECT_TRUE(Enabled(dialog, platform::IDOK));
    dialog.SendMessage(platform::WM_CLOSE);
  });
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "CVM file is NULL, Aborting the upgrade");
  EXPECT_EQ(boxes[0].caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
  EXPECT_EQ(boxes[0].owner_template, IDD_ENGINEERING_WINDOW);
  FinishWorker();
  EXPECT_FALSE(WorkerGotAJob());
}

TEST_F(ImageWindowTest, AFailedConversionSendsNoHeaderAndGivesTheWizardItsButtonsBack) {
  sample_root::WriteFile(sample_root::HostPath(root_.Path(), kCvmHexPath), ":0000000");
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    dialog.DisableAllButtons();
    dialog.EnableControl(platform::IDOK, platform::FALSE);
    dialog.SendMessage(WM_UPG_SEND_CVM_HEADER);
    EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskCommand, kNoTaskCommand);
    EXPECT_TRUE(Enabled(dialog, IDC_UPGRADE));
    EXPECT_TRUE(Enabled(dialog, platform::IDOK));
    EXPECT_TRUE(dialog.CanChooseSystemCommand(platform::SC_CLOSE));
    dialog.SendMessage(platform::WM_CLOSE);
  });
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, kCvmConversionFailedText);
}

class ConsoleParamSequenceTest : public ImageWindowTest {
 protected:
  ConsoleParamSequenceTest() { app_.m_bEngineeringMode = 1; }

  // What the console is sent while each slice waits for its reply.
  struct Slice {
    int command = 0;
    std::vector<platform::BYTE> payload;
    bool exit_enabled = true;
    bool panel_enabled = true;
    std::string status;
  };
  struct Sequence {
    std::vector<Slice> slices;
    Slice after;  // the window once the sequence has ended
    int step_after = -1;
  };

  // Starts the sequence the way Send Command does and lets the console answer every slice.
  Sequence RunSequence(CCorvikUpgradeDlg& dialog) {
    Sequence sequence;
    const platform::DWORD thread = platform::GetCurrentThreadId();
    const auto window_now = [&dialog] {
      const CUpGradeThread& job = *dialog.m_pUpgradeThread;
      return Slice{job.m_nTaskCommand, job.m_arrTaskPayload, Enabled(dialog, platform::IDOK),
                   Enabled(dialog, IDC_SEND_COMMAND), dialog.m_strStatusText};
    };
    std::function<void()> answer = [&] {
      if (dialog.m_nConsoleMode == 0) {
        sequence.after = window_now();
        sequence.step_after = dialog.m_nConsoleStep;
        dialog.SendMessage(platform::WM_CLOSE);
        return;
      }
      sequence.slices.push_back(window_now());
      // A good reply: the reply check ends the time-out and waits the step delay.
      dialog.StopTimer(kReplyTimerKind);
      dialog.StartTimer(dialog.m_nStepDelay, kStepTimerKind);
      platform::PostClosure(thread, answer, dialog.m_nStepDelay + 1);
    };
    RunModal(dialog, [&] {
      dialog.DisableAllButtons();
      dialog.SendMessage(WM_UPG_START_CONSOLE_PARAMS);
      platform::PostClosure(thread, answer);
    });
    return sequence;
  }
};

TEST_F(ConsoleParamSequenceTest, ThreeSlicesCarryTheBlockAndTheWindowComesBackAfterwards) {
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  dialog.m_nCountryCode = 1;  // the sample file counts up from 0x20, 94 values
  std::vector<platform::BYTE> block = images_test::Bytes(94, 0x20);
  block.resize(96, 0xFF);
  const auto part = [&block](std::size_t first, std::size_t count) {
    return std::vector<platform::BYTE>(block.begin() + static_cast<std::ptrdiff_t>(first),
                                       block.begin() + static_cast<std::ptrdiff_t>(first + count));
  };
  std::vector<platform::BYTE> first = part(0, 30);
  first.resize(32, 0xFF);

  const Sequence sequence = RunSequence(dialog);

  const std::vector<Slice>& slices = sequence.slices;
  ASSERT_EQ(slices.size(), 3U);
  EXPECT_EQ(slices[0].payload, first);
  EXPECT_EQ(slices[1].payload, part(30, 32));
  EXPECT_EQ(slices[2].payload, part(62, 32));
  for (std::size_t index = 0; index < slices.size(); ++index) {
    const Slice& slice = slices[index];
    // Each step starts a fresh status text with its own line.
    EXPECT_EQ(slice.status.rfind(
                  platform::Format("OnExecuteConsoleParamList: Init Task# :%zu\r\n", index + 1), 0),
              0U)
        << slice.status;
    EXPECT_EQ(slice.command, kConsoleParams);
    EXPECT_FALSE(slice.exit_enabled);
    EXPECT_FALSE(slice.panel_enabled);
  }
  EXPECT_EQ(sequence.step_after, 0);
  EXPECT_TRUE(sequence.after.exit_enabled);
  EXPECT_TRUE(sequence.after.panel_enabled);
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(ConsoleParamSequenceTest, AShortFileStillSendsThreeSlicesFilledUpWithFF) {
  // 40 values: the second slice runs out after ten of them, the third has none.
  sample_root::WriteFile(sample_root::HostPath(root_.Path(), sample_root::kInstallDirectory) /
                             "Halcyra Upgrade" / "ConsoleORVTDefaultsWDCT185.csv",
                         sample_root::MakeConsoleParameters(40, 0x10));
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  dialog.m_nCountryCode = 0;
  std::vector<platform::BYTE> first = images_test::Bytes(30, 0x10);
  first.resize(32, 0xFF);
  std::vector<platform::BYTE> second = images_test::Bytes(10, 0x2E);
  second.resize(32, 0xFF);

  const Sequence sequence = RunSequence(dialog);

  ASSERT_EQ(sequence.slices.size(), 3U);
  EXPECT_EQ(sequence.slices[0].payload, first);
  EXPECT_EQ(sequence.slices[1].payload, second);
  EXPECT_EQ(sequence.slices[2].payload, std::vector<platform::BYTE>(32, 0xFF));
  EXPECT_EQ(sequence.step_after, 0);
  EXPECT_TRUE(sequence.after.panel_enabled);
}

TEST_F(ConsoleParamSequenceTest, ASliceWithoutReplyEndsTheSequenceWithExitEnabled) {
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  dialog.m_nCountryCode = 0;
  constexpr platform::Millis kAfterReplyTimeout = 20001;
  RunModal(dialog, [&] {
    dialog.SendMessage(WM_UPG_START_CONSOLE_PARAMS);
    platform::PostClosure(
        platform::GetCurrentThreadId(),
        [&] {
          EXPECT_EQ(dialog.m_nConsoleMode, 0);
          EXPECT_EQ(dialog.m_nConsoleStep, 0);
          EXPECT_TRUE(Enabled(dialog, platform::IDOK));
          EXPECT_TRUE(Enabled(dialog, IDC_SEND_COMMAND));
          EXPECT_EQ(dialog.m_pUpgradeThread->m_nTaskCommand, kConsoleParams);
          dialog.SendMessage(platform::WM_CLOSE);
        },
        kAfterReplyTimeout);
  });
}

TEST_F(ConsoleParamSequenceTest, ACountryCodeWithoutAFileSendsNothingAndGivesThePanelBack) {
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  dialog.m_nCountryCode = 3;
  const Sequence sequence = RunSequence(dialog);
  EXPECT_TRUE(sequence.slices.empty());
  EXPECT_TRUE(sequence.after.panel_enabled);
  EXPECT_TRUE(sequence.after.exit_enabled);
  EXPECT_TRUE(ui_->Boxes().empty());
  FinishWorker();
  EXPECT_FALSE(WorkerGotAJob());
}

}  // namespace
