#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "upgrade_app/resources/artwork.h"
#include "upgrade_app/resources/dialog_templates.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

std::vector<platform::DialogTemplate> AllTemplates() {
  return {AboutBoxTemplate(),       UsbAccessFormTemplate(),  EngineeringWindowTemplate(),
          RecoveryDialogTemplate(), CompleteDialogTemplate(), WizardWindowTemplate(),
          OptionsDialogTemplate(),  SearchingDialogTemplate()};
}

TEST(ResourcesTest, EveryControlLiesInsideItsDialogAndHasAnIdOfItsOwn) {
  for (const platform::DialogTemplate& dialog : AllTemplates()) {
    std::set<int> ids;
    for (const platform::ControlTemplate& control : dialog.controls) {
      EXPECT_LE(control.rect.x + control.rect.width, dialog.width)
          << "template " << dialog.id << " control " << control.id;
      EXPECT_LE(control.rect.y + control.rect.height, dialog.height)
          << "template " << dialog.id << " control " << control.id;
      if (control.id != platform::IDC_STATIC) {
        EXPECT_TRUE(ids.insert(control.id).second)
            << "template " << dialog.id << " repeats control " << control.id;
      }
    }
  }
}

TEST(ResourcesTest, RegisteredTemplatesAreFoundByTheirIds) {
  RegisterDialogTemplates();
  for (const platform::UINT id :
       {IDD_ABOUTBOX, IDD_USB_ACCESS_FORM, IDD_ENGINEERING_WINDOW, IDD_RECOVERY_DIALOG,
        IDD_COMPLETE_DIALOG, IDD_WIZARD_WINDOW, IDD_OPTIONS_DIALOG, IDD_SEARCHING_DIALOG}) {
    const auto found = platform::FindDialogTemplate(id);
    ASSERT_TRUE(found.has_value()) << "template " << id;
    EXPECT_EQ(found->id, id);
  }
}

TEST(ResourcesTest, PicturesShowImagesThatExist) {
  for (const platform::DialogTemplate& dialog : AllTemplates()) {
    for (const platform::ControlTemplate& control : dialog.controls) {
      if (control.kind != platform::ControlKind::kPicture) continue;
      const ResourceImage* image = FindResourceImage(control.image_resource);
      ASSERT_NE(image, nullptr) << "template " << dialog.id;
      EXPECT_EQ(image->argb.size(),
                static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
    }
  }
  EXPECT_EQ(FindResourceImage(IDR_MAINFRAME)->width, 32);
  EXPECT_EQ(FindResourceImage(999), nullptr);
}

TEST(ResourcesTest, RadioGroupsBeginWithAGroupMark) {
  for (const platform::DialogTemplate& dialog :
       {OptionsDialogTemplate(), SearchingDialogTemplate()}) {
    bool previous_was_radio = false;
    for (const platform::ControlTemplate& control : dialog.controls) {
      const bool radio = control.kind == platform::ControlKind::kRadioButton;
      if (radio && !previous_was_radio) {
        EXPECT_TRUE(platform::HasFlag(control.style, platform::ControlStyle::kGroup));
      }
      if (!radio && previous_was_radio) {
        EXPECT_TRUE(platform::HasFlag(control.style, platform::ControlStyle::kGroup));
      }
      previous_was_radio = radio;
    }
  }
}

TEST(ResourcesTest, StringsAreFoundByIdAndUnknownIdsReadEmpty) {
  EXPECT_EQ(FindResourceString(IDS_DETECTION_FAILED), "ERROR: Halcyra DETECTION FAILED.\r\n");
  EXPECT_EQ(LoadResourceString(IDS_DIALOG_CAPTION), "Halcyra Software Upgrade");
  EXPECT_EQ(FindResourceString(12345), "");
}

}  // namespace
