// Download progress: the bar holds two downloads of a run, the reply time-out ends once a
// download is under way, and the end of a download starts the step delay.

#include <gtest/gtest.h>

#include "platform/ui/progress_bar.h"
#include "tests/unit/upgrade_app/replies/reply_fixture.h"

namespace {

using namespace replies_test;

using FileProgressTest = ReplyCheckTest;

const platform::ProgressBar& Bar(const ProbeDialog& dialog) {
  return *dialog.GetDlgItemAs<platform::ProgressBar>(IDC_DOWNLOAD_PROGRESS);
}

TEST_F(FileProgressTest, TwoDownloadsShareTheBarAndItGoesBackToZeroAfterTheSecond) {
  struct Report {
    platform::WPARAM kind;
    platform::LPARAM bytes;
    int position, range_upper, downloads_done;
  };
  const Report reports[] = {
      {kFileProgressStart, 355476, 0, 355476, 0},
      {kFileProgressBytes, 1216, 608, 355476, 0},
      {kFileProgressBytes, 355476, 177738, 355476, 0},
      {kFileProgressEnd, 355476, 177738, 355476, 1},
      // The second download keeps the first one's range and fills its second half.
      {kFileProgressStart, 100000, 177738, 355476, 1},
      {kFileProgressBytes, 50000, 202738, 355476, 1},
      {kFileProgressEnd, 100000, 0, 355476, 2},
      {kFileProgressStart, 4000, 0, 4000, 2},
      {kFileProgressBytes, 4000, 0, 4000, 2},
  };
  InWindow(false, [&](ProbeDialog& dialog) {
    for (const Report& report : reports) {
      dialog.SendMessage(WM_UPG_FILE_PROGRESS, report.kind, report.bytes);
      const std::string where = platform::Format("report %d/%d", static_cast<int>(report.kind),
                                                 static_cast<int>(report.bytes));
      EXPECT_EQ(Bar(dialog).GetPos(), report.position) << where;
      EXPECT_EQ(Bar(dialog).GetRangeLower(), 0) << where;
      EXPECT_EQ(Bar(dialog).GetRangeUpper(), report.range_upper) << where;
      EXPECT_EQ(dialog.m_nDownloadsDone, report.downloads_done) << where;
    }
  });
}

TEST_F(FileProgressTest, TheReplyTimeOutEndsWithTheFirstChunkAndTheStepDelayFollowsTheEnd) {
  for (const bool engineering : {false, true}) {
    InWindow(engineering, [&](ProbeDialog& dialog) {
      Arm(dialog);
      dialog.SendMessage(WM_UPG_FILE_PROGRESS, kFileProgressStart, 355476);
      EXPECT_NE(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
      dialog.SendMessage(WM_UPG_FILE_PROGRESS, kFileProgressBytes, 1281);
      EXPECT_NE(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer) << "more than one chunk";
      dialog.SendMessage(WM_UPG_FILE_PROGRESS, kFileProgressBytes, 1280);
      EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
      EXPECT_FALSE(Enabled(dialog, engineering ? IDC_SEND_FW : IDC_UPGRADE));
      EXPECT_EQ(dialog.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);

      // A file of one chunk: its end report stops the time-out as well.
      Arm(dialog);
      dialog.SendMessage(WM_UPG_FILE_PROGRESS, kFileProgressEnd, 1000);
      EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
      EXPECT_NE(dialog.m_nStepTimer, CCorvikUpgradeDlg::kNoTimer);
      if (engineering) {
        EXPECT_TRUE(Enabled(dialog, IDC_SEND_FW)) << "the panel comes back";
        EXPECT_EQ(dialog.GetDlgItemText(IDC_BYTES_TRANSFERRED), "1000");
        EXPECT_EQ(dialog.m_strStatusText,
                  "\r\nDownload Finished\r\n\r\nWaiting for task completion\r\n");
      } else {
        EXPECT_FALSE(Enabled(dialog, IDC_UPGRADE)) << "the wizard goes on with the next step";
      }
    });
  }
}

}  // namespace
