// Choosing a firmware file: Browse, a firmware type chosen in its list, and the hex file that the
// radio-module header command asks for.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/upgrade_app/panel/panel_fixture.h"

namespace {

using panel_test::PanelTest;

constexpr platform::DWORD kFileDialogFlags = 0x1806;
constexpr char kNotFirmwareText[] = "Please select a file with extention .bin, .xsvf or .hex!";

TEST_F(PanelTest, EachFirmwareTypeOffersItsFilterAndBrowseWithoutTypeOffersAllThree) {
  ui_->QueueFileAnswer("/fw/any.hex");
  for (int type = 0; type < 3; ++type) ui_->QueueFileAnswer(std::nullopt);
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    Click(dialog, IDC_BROWSE);
    EXPECT_EQ(dialog.m_strFilePath, "/fw/any.hex");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_FILE_PATH), "/fw/any.hex");
    // Choosing a type opens the dialog at once.
    for (const char* type : {"DSP Firmware", "CPLD Firmware", "CVM Firmware"}) {
      Choose(dialog, IDC_FIRMWARE_TYPE_LIST, type);
    }
    EXPECT_EQ(dialog.m_strFilePath, "/fw/any.hex") << "a cancel changes nothing";
  });
  const auto files = ui_->Files();
  ASSERT_EQ(files.size(), 4U);
  EXPECT_EQ(files[0].filter,
            "DSP Firmware Files (*.bin)|*.bin|CPLD Firmware Files (*.xsvf)|*.xsvf|CVM Firmware "
            "Files (*.hex)|*.hex|All Files (*.*)|*.*||");
  EXPECT_EQ(files[1].filter, "DSP Firmware Files (*.bin)|*.bin|All Files (*.*)|*.*||");
  EXPECT_EQ(files[2].filter, "CPLD Firmware Files (*.xsvf)|*.xsvf|All Files (*.*)|*.*||");
  EXPECT_EQ(files[3].filter, "CVM Firmware Files (*.hex)|*.hex|All Files (*.*)|*.*||");
  for (const auto& file : files) {
    EXPECT_EQ(file.flags, kFileDialogFlags);
    EXPECT_EQ(file.owner_template, IDD_ENGINEERING_WINDOW);
  }
  EXPECT_TRUE(ui_->Boxes().empty());
}

TEST_F(PanelTest, BrowseTakesAnyFirmwareExtensionAnywhereInThePathWhateverTheType) {
  struct Case {
    const char* path;
    bool taken;
  };
  const std::vector<Case> cases = {{"/fw/cpld.xsvf", true},  // DSP chosen: the type is not asked
                                   {"/fw/images.bin.d/notes", true},
                                   {"/fw/IMAGE.BIN", false},  // the test is case-sensitive
                                   {"/fw/readme.txt", false},
                                   {"", false}};
  for (const Case& item : cases) ui_->QueueFileAnswer(item.path);
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    List(dialog, IDC_FIRMWARE_TYPE_LIST)->SetCurSel(0);
    dialog.m_strFilePath = "/fw/previous.bin";
    for (const Case& item : cases) {
      Click(dialog, IDC_BROWSE);
      const std::string expected = item.taken ? item.path : "/fw/previous.bin";
      EXPECT_EQ(dialog.m_strFilePath, expected) << item.path;
      if (item.taken) {
        EXPECT_EQ(dialog.GetDlgItemText(IDC_FILE_PATH), expected);
        dialog.m_strFilePath = "/fw/previous.bin";
      }
    }
  });
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 3U);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text, kNotFirmwareText);
    EXPECT_EQ(box.caption, "Halcyra Software Upgrade");
    EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_EQ(box.owner_template, IDD_ENGINEERING_WINDOW);
  }
}

TEST_F(PanelTest, OnlyTheHeaderCommandAsksForTheHexFileAndAnyNonEmptyPathIsTaken) {
  ui_->QueueFileAnswer("/fw/notes.txt");
  ui_->QueueFileAnswer("");
  ui_->QueueFileAnswer(std::nullopt);
  WithPanel([&](CCorvikUpgradeDlg& dialog) {
    Choose(dialog, IDC_COMMAND_LIST, "UPD_GET_CPLD_FW_VER");
    Choose(dialog, IDC_COMMAND_LIST, "UPD_CVM_IMAGE_END");
    EXPECT_TRUE(ui_->Files().empty());

    Choose(dialog, IDC_COMMAND_LIST, "UPD_SEND_CVM_HEADER");
    EXPECT_EQ(dialog.m_strFilePath, "/fw/notes.txt");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_FILE_PATH), "/fw/notes.txt");
    Choose(dialog, IDC_COMMAND_LIST, "UPD_SEND_CVM_HEADER");
    Choose(dialog, IDC_COMMAND_LIST, "UPD_SEND_CVM_HEADER");
    EXPECT_EQ(dialog.m_strFilePath, "/fw/notes.txt");
  });
  const auto files = ui_->Files();
  ASSERT_EQ(files.size(), 3U);
  for (const auto& file : files) {
    EXPECT_EQ(file.filter, "CVM Firmware Files (*.hex)|*.hex|All Files (*.*)|*.*||");
    EXPECT_EQ(file.flags, kFileDialogFlags);
  }
  const auto boxes = ui_->Boxes();
  ASSERT_EQ(boxes.size(), 1U) << "only the empty path is refused";
  EXPECT_EQ(boxes[0].text, "Please select a file with extention .hex!");
  EXPECT_EQ(boxes[0].caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
}

}  // namespace
