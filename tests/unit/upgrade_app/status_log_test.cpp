#include "upgrade_app/status_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/sys/file.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

using upgrade_app_test::MainWindowTest;
using upgrade_app_test::ScopedEnvironment;

class StatusLogTest : public MainWindowTest {
 protected:
  std::filesystem::path StatusFile() const {
    return root_.Path() / "AppData" / "TessalyStatus.txt";
  }

  std::string StatusFileText() const {
    std::ifstream file(StatusFile(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // Runs the main window of the mode and hands `during` the window while it is up.
  void WithWindow(bool engineering, const std::function<void(CCorvikUpgradeDlg&)>& during) {
    app_.m_bEngineeringMode = engineering ? 1 : 0;
    app_.m_bStatusLogging = 1;
    CCorvikUpgradeDlg dialog(engineering ? IDD_ENGINEERING_WINDOW : IDD_WIZARD_WINDOW);
    RunModal(dialog, [&] {
      during(dialog);
      dialog.SendMessage(platform::WM_CLOSE);
    });
  }

  void Prefill(const std::string& text) {
    std::filesystem::create_directories(StatusFile().parent_path());
    std::ofstream(StatusFile(), std::ios::binary) << text;
  }
};

TEST_F(StatusLogTest, EngineeringWindowShowsEachLineAndAppendsItToTheFile) {
  Prefill("earlier run\r\n");
  WithWindow(true, [](CCorvikUpgradeDlg& dialog) {
    UpdateStatus(&dialog, "\r\nValid Enable USB response received\r\n");
    UpdateStatus(&dialog, "\r\nDSP Flash F/W version: QVX.CON.01.607\r\n");
    const std::string both =
        "\r\nValid Enable USB response received\r\n\r\nDSP Flash F/W version: "
        "QVX.CON.01.607\r\n";
    EXPECT_EQ(dialog.m_strStatusText, both);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), both);
  });
  EXPECT_EQ(StatusFileText(),
            "earlier run\r\n\r\nValid Enable USB response received\r\n\r\nDSP Flash F/W "
            "version: QVX.CON.01.607\r\n");
}

TEST_F(StatusLogTest, TheWizardDropsStatusLines) {
  WithWindow(false, [](CCorvikUpgradeDlg& dialog) {
    UpdateStatus(&dialog, "\r\nValid Enable USB response received\r\n");
    EXPECT_EQ(dialog.m_strStatusText, "");
  });
  EXPECT_FALSE(std::filesystem::exists(StatusFile()));
}

TEST_F(StatusLogTest, WithoutShowStatusTheLineIsOnlyWritten) {
  std::filesystem::create_directories(StatusFile().parent_path());
  WithWindow(true, [this](CCorvikUpgradeDlg& dialog) {
    app_.m_bShowStatus = 0;
    UpdateStatus(&dialog, "line\r\n");
    EXPECT_EQ(dialog.m_strStatusText, "");
  });
  EXPECT_EQ(StatusFileText(), "line\r\n");
}

TEST_F(StatusLogTest, TheWindowsOwnStatusTextCanBeLoggedAgain) {
  std::filesystem::create_directories(StatusFile().parent_path());
  WithWindow(true, [](CCorvikUpgradeDlg& dialog) {
    UpdateStatus(&dialog, "one\r\n");
    UpdateStatus(&dialog, dialog.m_strStatusText);
    EXPECT_EQ(dialog.m_strStatusText, "one\r\none\r\n");
  });
  EXPECT_EQ(StatusFileText(), "one\r\none\r\n");
}

TEST_F(StatusLogTest, AnEmptyLineLeavesTheFileAsItWas) {
  Prefill("kept");
  WithWindow(true, [](CCorvikUpgradeDlg& dialog) { UpdateStatus(&dialog, ""); });
  EXPECT_EQ(StatusFileText(), "kept");
}

TEST_F(StatusLogTest, AFileThatCannotBeOpenedIsReportedAfterEveryLine) {
  Prefill("");
  platform::CFile holder;
  ASSERT_TRUE(holder.Open(StatusFile().string(),
                          platform::CFile::modeRead | platform::CFile::shareDenyNone));
  WithWindow(true, [](CCorvikUpgradeDlg& dialog) {
    UpdateStatus(&dialog, "one\r\n");
    UpdateStatus(&dialog, "two\r\n");
    EXPECT_EQ(dialog.m_strStatusText, "one\r\nStatus Log failed!two\r\nStatus Log failed!");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_EDIT), dialog.m_strStatusText);
  });
  holder.Close();
  EXPECT_EQ(StatusFileText(), "");
}

TEST_F(StatusLogTest, AnApplicationDataFolderThatCannotBeDeterminedCountsAsUnopenable) {
  const ScopedEnvironment too_long("TESSALY_APPDATA_DIR", "/tmp/" + std::string(300, 'a'));
  WithWindow(true, [](CCorvikUpgradeDlg& dialog) {
    UpdateStatus(&dialog, "one\r\n");
    EXPECT_EQ(dialog.m_strStatusText, "one\r\nStatus Log failed!");
  });
}

TEST_F(StatusLogTest, AWriteErrorIsCaughtAndReported) {
  std::filesystem::create_directories(StatusFile().parent_path());
  std::filesystem::create_symlink("/dev/full", StatusFile());
  WithWindow(true, [](CCorvikUpgradeDlg& dialog) {
    UpdateStatus(&dialog, "one\r\n");
    // The line was shown before the write failed.
    EXPECT_EQ(dialog.m_strStatusText, "one\r\n");
  });
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "exception catched in UpdateStatus");
}

}  // namespace
