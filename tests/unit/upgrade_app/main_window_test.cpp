#include "upgrade_app/corvik_upgrade_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/combo_box.h"
#include "platform/ui/icon.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/auto_proxy.h"
#include "upgrade_app/ole_app_lock.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

using upgrade_app_test::MainWindowTest;

const platform::LogFont kBold = upgrade_app_test::ArialFont(-14, platform::FW_BOLD);
const platform::LogFont kNormal = upgrade_app_test::ArialFont(-12, platform::FW_NORMAL);

TEST_F(MainWindowTest, WizardOpensWithItsFaceAndASuspendedWorker) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  RunModal(dialog, [&] {
    EXPECT_EQ(dialog.GetWindowText(), "Orvanta Halcyra Upgrade");
    EXPECT_FALSE(Visible(dialog, IDC_NEXT));
    EXPECT_FALSE(Visible(dialog, IDC_WARNING_TEXT));
    EXPECT_TRUE(Visible(dialog, IDC_UPGRADE));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_INSTRUCTIONS), FindResourceString(IDS_MUTE_INSTRUCTIONS));
    for (const int id : {IDC_TITLE_TEXT, IDC_NEXT, IDC_UPGRADE, IDC_TROUBLESHOOT, platform::IDOK,
                         IDC_WARNING_TEXT}) {
      EXPECT_EQ(dialog.GetDlgItem(id)->GetFont(), kBold) << "control " << id;
    }
    for (const int id : {IDC_PROGRESS_LABEL, IDC_STEP_LABEL, IDC_INSTRUCTIONS, IDC_STEP_TEXT}) {
      EXPECT_EQ(dialog.GetDlgItem(id)->GetFont(), kNormal) << "control " << id;
    }
    EXPECT_EQ(platform::IconResourceId(dialog.GetIcon(platform::TRUE)), IDR_MAINFRAME);
    EXPECT_EQ(platform::IconResourceId(dialog.GetIcon(platform::FALSE)), IDR_MAINFRAME);
    const auto& items = dialog.GetSystemMenu()->Items();
    ASSERT_GE(items.size(), 2U);
    EXPECT_TRUE(items[items.size() - 2].separator);
    EXPECT_EQ(items.back().id, IDM_ABOUTBOX);
    EXPECT_EQ(items.back().text, "&About Halcyra Upgrade...");
    EXPECT_EQ(app_.m_bShowStatus, 1);
    EXPECT_EQ(app_.m_pMainWnd, dialog.GetSafeHwnd());
    EXPECT_NE(dialog.m_pUpgradeThread, nullptr);
    EXPECT_EQ(dialog.m_nPendingCommand, -1);
    EXPECT_EQ(dialog.m_nDeviceState, 3);
    dialog.SendMessage(platform::WM_CLOSE);
  });
  // Nothing resumed the worker, so the end of the program does not wait for it.
  EXPECT_EQ(dialog.WorkerEnd(), nullptr);
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(MainWindowTest, EngineeringWindowShowsItsPanelAndVersionedTitle) {
  app_.m_bEngineeringMode = 1;
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  RunModal(dialog, [&] {
    EXPECT_EQ(dialog.GetWindowText(), "Welcome to Halcyra Software Upgrade4.7.0.0");
    EXPECT_FALSE(Visible(dialog, IDC_UPGRADE));
    EXPECT_FALSE(Visible(dialog, IDC_BEGIN_HINT));
    EXPECT_EQ(dialog.GetDlgItem(IDC_UPGRADE)->GetFont(), kBold);
    EXPECT_EQ(dialog.GetDlgItem(platform::IDOK)->GetFont(), kBold);
    EXPECT_EQ(dialog.GetSystemMenu(), nullptr);
    const std::vector<std::string> commands = {"UPD_INIT_UPGRADE_CVMFLASH",
                                               "UPD_SEND_CVM_HEADER",
                                               "UPD_GET_RADIO_STATUS",
                                               "UPD_RESET_CONSOLE",
                                               "UPD_GET_CPLD_FW_VER",
                                               "UPD_GET_CVM_LOCK_STATUS",
                                               "UPD_INIT_UPGRADE_RADIOPARAMS",
                                               "UPD_INIT_UPGRADE_DSPFLASH",
                                               "UPD_INIT_VERIFY_RADIO_STATUS",
                                               "UPD_GET_CVMFLASH_FW_VER",
                                               "UPD_SEND_CVM_BOOTLOADER",
                                               "UPD_ENABLE_USB",
                                               "UPD_INIT_UPGRADE_CONSOLEPARAMS",
                                               "UPD_GET_RADIO_MODE",
                                               "UPD_CVM_IMAGE_END",
                                               "UPD_INIT_UPGRADE_DSP_COMP",
                                               "UPD_ENABLE_USB_UPGRADE",
                                               "UPD_GET_DSPFLASH_FW_VER"};
    EXPECT_EQ(dialog.GetDlgItemAs<platform::ComboBox>(IDC_COMMAND_LIST)->Items(), commands);
    EXPECT_EQ(dialog.GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST)->Items(),
              (std::vector<std::string>{"DSP Firmware", "CPLD Firmware", "CVM Firmware"}));
    EXPECT_EQ(dialog.GetDlgItemAs<platform::ComboBox>(IDC_COMMAND_LIST)->GetCurSel(), -1);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(MainWindowTest, EscAndCommand1004DoNothingWhileCloseAndRemovalEndTheWindow) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  EXPECT_EQ(RunModal(dialog,
                     [&] {
                       dialog.SendMessage(
                           platform::WM_COMMAND,
                           platform::MakeCommandParam(platform::IDCANCEL, platform::BN_CLICKED));
                       dialog.SendMessage(
                           platform::WM_COMMAND,
                           platform::MakeCommandParam(IDC_CANCEL_COMMAND, platform::BN_CLICKED));
                       EXPECT_TRUE(dialog.IsWindowVisible());
                       dialog.PostMessage(WM_UPG_DEVICE_REMOVED);
                     }),
            platform::IDOK);

  CCorvikUpgradeDlg closed_by_box(IDD_WIZARD_WINDOW);
  EXPECT_EQ(RunModal(closed_by_box,
                     [&] { EXPECT_TRUE(closed_by_box.ChooseSystemCommand(platform::SC_CLOSE)); }),
            platform::IDOK);
}

TEST_F(MainWindowTest, WhileAnAutomationProxyHoldsTheWindowClosingOnlyHidesIt) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  const platform::LONG locks_before = OleApplicationLockCount();
  RunModal(dialog, [&] {
    platform::ComPtr<platform::IUnknown> proxy;
    ASSERT_EQ(MakeAutoProxyClassFactory()->CreateInstance(
                  nullptr, platform::IUnknown::kIid,
                  reinterpret_cast<void**>(proxy.ReleaseAndGetAddressOf())),
              platform::S_OK);
    ASSERT_NE(dialog.m_pAutoProxy, nullptr);
    EXPECT_EQ(dialog.m_pAutoProxy->m_pDialog, &dialog);
    EXPECT_EQ(OleApplicationLockCount(), locks_before + 1);
    dialog.SendMessage(platform::WM_CLOSE);
    dialog.SendMessage(WM_UPG_DEVICE_REMOVED);
    EXPECT_FALSE(dialog.IsWindowVisible());
    proxy.Reset();
    EXPECT_EQ(dialog.m_pAutoProxy, nullptr);
    EXPECT_EQ(OleApplicationLockCount(), locks_before);
    dialog.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(MainWindowTest, ReadCompleteGoesToTheWorkerOnlyWhileACommandIsPending) {
  {
    CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
    RunModal(dialog, [&] {
      dialog.SendMessage(WM_UPG_READ_COMPLETE);
      dialog.m_nPendingCommand = 0xD0AA;
      dialog.SendMessage(WM_UPG_READ_COMPLETE);
      dialog.SendMessage(platform::WM_CLOSE);
    });
  }
  // The window's end asks the worker to end, after what was forwarded before.
  FinishWorker();
  EXPECT_EQ(WorkerMessages(),
            (std::vector<platform::UINT>{WM_UPG_READ_COMPLETE, WM_UPG_END_THREAD}));
}

TEST_F(MainWindowTest, AWorkerThatRanIsAskedToEndWhenTheWindowGoes) {
  std::shared_ptr<platform::ThreadEnd> worker_end;
  {
    CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
    RunModal(dialog, [&] {
      dialog.ResumeWorker();
      dialog.SendMessage(platform::WM_CLOSE);
    });
    worker_end = dialog.WorkerEnd();
    ASSERT_NE(worker_end, nullptr);
  }
  EXPECT_TRUE(worker_end->WaitFor(platform::GetClock().Now() + kWorkerWait));
  EXPECT_EQ(WorkerMessages(), (std::vector<platform::UINT>{WM_UPG_END_THREAD}));
}

TEST_F(MainWindowTest, AWorkerThatCannotStartIsReportedAndTheWindowCloses) {
  fail_worker_start_ = true;
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text,
            "The upgrade worker could not be started.\nHalcyra Software Upgrade will exit");
  EXPECT_EQ(boxes[0].caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
  EXPECT_EQ(boxes[0].owner_template, IDD_WIZARD_WINDOW);
  EXPECT_EQ(dialog.m_pUpgradeThread, nullptr);
}

TEST_F(MainWindowTest, ButtonSetsSwitchThePanelButLeaveUpgradeAndCloseToOthers) {
  app_.m_bEngineeringMode = 1;
  const std::vector<int> panel = {IDC_BROWSE,       IDC_DETECT_USB_DEVICE,  IDC_RESET_USB_DEVICE,
                                  IDC_SHOW_STATUS,  IDC_SEND_COMMAND,       IDC_SEND_FW,
                                  IDC_COMMAND_LIST, IDC_FIRMWARE_TYPE_LIST, IDC_CLEAR_WINDOW};
  {
    CCorvikUpgradeDlg engineering(IDD_ENGINEERING_WINDOW);
    RunModal(engineering, [&] {
      engineering.DisableAllButtons();
      for (const int id : panel) EXPECT_FALSE(Enabled(engineering, id)) << "control " << id;
      EXPECT_FALSE(Enabled(engineering, IDC_UPGRADE));
      engineering.EnableAllButtons();
      for (const int id : panel) EXPECT_TRUE(Enabled(engineering, id)) << "control " << id;
      EXPECT_FALSE(Enabled(engineering, IDC_UPGRADE));
      engineering.SendMessage(platform::WM_CLOSE);
    });
  }
  FinishWorker();

  app_.m_bEngineeringMode = 0;
  CCorvikUpgradeDlg wizard(IDD_WIZARD_WINDOW);
  RunModal(wizard, [&] {
    wizard.DisableAllButtons();
    EXPECT_FALSE(Enabled(wizard, IDC_UPGRADE));
    EXPECT_FALSE(wizard.CanChooseSystemCommand(platform::SC_CLOSE));
    wizard.EnableAllButtons();
    EXPECT_FALSE(Enabled(wizard, IDC_UPGRADE));
    EXPECT_FALSE(wizard.ChooseSystemCommand(platform::SC_CLOSE));
    wizard.SendMessage(platform::WM_CLOSE);
  });
}

TEST_F(MainWindowTest, TheSystemMenuOpensTheAboutBox) {
  sample_root::Options options;
  options.upgrade = "yes";
  sample_root::SettingsValues settings = sample_root::DefaultSettings(options);
  settings["DSP"]["FileVer"] = "999.999";
  settings["CPLD"]["Upgrade"] = "Yes";
  sample_root::WriteSettingsFile(root_.Path(), settings);
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  std::string about_text;
  RunModal(dialog, [&] {
    platform::PostClosure(platform::GetCurrentThreadId(), [&] {
      platform::Dialog* const about = TopDialog();
      ASSERT_NE(about, nullptr);
      EXPECT_EQ(about->GetTemplateId(), IDD_ABOUTBOX);
      about_text = about->GetDlgItemText(IDC_ABOUT_TEXT);
      about->SendMessage(platform::WM_COMMAND,
                         platform::MakeCommandParam(platform::IDOK, platform::BN_CLICKED));
    });
    EXPECT_TRUE(dialog.ChooseSystemCommand(IDM_ABOUTBOX));
    dialog.SendMessage(platform::WM_CLOSE);
  });
  EXPECT_EQ(about_text, "\r\nApplication version:\t4.7.0.0\r\n" + std::string(57, '-') +
                            "\r\n\r\nDSP version:\tQVX.CON.01.607\r\nCVM version:\t1.10");
}

TEST_F(MainWindowTest, TheEngineeringAboutBoxAddsTheRadioFlashVersion) {
  app_.m_bEngineeringMode = 1;
  WriteSettings({});
  CCorvikUpgradeDlg dialog(IDD_ENGINEERING_WINDOW);
  std::string about_text;
  RunModal(dialog, [&] {
    platform::PostClosure(platform::GetCurrentThreadId(), [&] {
      platform::Dialog* const about = TopDialog();
      ASSERT_NE(about, nullptr);
      about_text = about->GetDlgItemText(IDC_ABOUT_TEXT);
      about->SendMessage(platform::WM_CLOSE);
    });
    dialog.SendMessage(platform::WM_COMMAND,
                       platform::MakeCommandParam(IDC_ABOUT, platform::BN_CLICKED));
    dialog.SendMessage(platform::WM_CLOSE);
  });
  EXPECT_EQ(about_text, "\r\nApplication version:\t4.7.0.0\r\n" + std::string(57, '-') +
                            "\r\n\r\nDSP version:\tQVX.CON.01.607\r\nCPLD version:\tC106"
                            "\r\nCVM version:\t1.10\r\nCVM Flash version:\t\t\t1.10");
}

TEST_F(MainWindowTest, AnAboutBoxWithoutTheWindowsDirectoryReportsItAndStaysEmpty) {
  CCorvikUpgradeDlg dialog(IDD_WIZARD_WINDOW);
  std::string about_text = "not read";
  RunModal(dialog, [&] {
    const upgrade_app_test::ScopedEnvironment too_long("TESSALY_WINDOWS_DIR",
                                                       "/tmp/" + std::string(120, 'w'));
    platform::PostClosure(platform::GetCurrentThreadId(), [&] {
      platform::Dialog* const about = TopDialog();
      ASSERT_NE(about, nullptr);
      about_text = about->GetDlgItemText(IDC_ABOUT_TEXT);
      about->SendMessage(platform::WM_CLOSE);
    });
    EXPECT_TRUE(dialog.ChooseSystemCommand(IDM_ABOUTBOX));
    dialog.SendMessage(platform::WM_CLOSE);
  });
  EXPECT_EQ(about_text, "");
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Windows directory not found!\n");
  EXPECT_EQ(boxes[0].caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONSTOP);
  EXPECT_EQ(boxes[0].owner_template, IDD_ABOUTBOX);
}

}  // namespace
