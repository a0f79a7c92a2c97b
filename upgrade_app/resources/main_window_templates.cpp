// Templates of the two main windows: the wizard (NORMAL mode) and the engineering window
// (VARSOLIN mode).

#include "platform/ui/ui_constants.h"
#include "upgrade_app/resources/dialog_templates.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/template_builders.h"

using namespace template_builders;

namespace {

constexpr ControlStyle kListStyle = ControlStyle::kVerticalScroll | ControlStyle::kTabStop;
constexpr ControlStyle kReadOnlyEdit =
    ControlStyle::kReadOnly | ControlStyle::kBorder | ControlStyle::kTabStop;

}  // namespace

platform::DialogTemplate WizardWindowTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_WIZARD_WINDOW, "Orvanta Halcyra Upgrade", {"Arial", 8}, 397, 310,
             kPopupDialog | DialogStyle::kAppWindow);
  dialog.controls = {
      DefaultButton(platform::IDOK, "Exit", {328, 246, 50, 14}),
      Button(IDC_UPGRADE, "Upgrade", {261, 246, 50, 14}),
      Static(IDC_TITLE_TEXT, "IMPORTANT:  PLEASE FOLLOW THE STEPS BELOW", {146, 9, 239, 8},
             ControlStyle::kRightAligned),
      Static(IDC_INSTRUCTIONS, "", {168, 27, 217, 190}),
      Picture(IDC_CONSOLE_PICTURE, IDB_CONSOLE_PICTURE, {5, 55, 133, 68}),
      Make(IDC_DOWNLOAD_PROGRESS, ControlKind::kProgressBar, "", {88, 292, 291, 15}),
      Static(IDC_PROGRESS_LABEL, "Download Progress:", {5, 292, 78, 10}),
      Static(IDC_STEP_TEXT, "", {88, 271, 291, 12}),
      Static(IDC_STEP_LABEL, "Status:", {35, 271, 31, 12}),
      Button(IDC_NEXT, "Next", {194, 246, 50, 14}),
      Button(IDC_TROUBLESHOOT, "Troubleshoot", {5, 246, 83, 14}),
      Static(IDC_WARNING_TEXT, "Upgrade takes several minutes...  DO NOT POWER OFF the Halcyra...",
             {15, 230, 365, 14}),
  };
  return dialog;
}

platform::DialogTemplate EngineeringWindowTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_ENGINEERING_WINDOW, "Welcome to Halcyra Software Upgrade", {"Arial", 9}, 439, 391,
             DialogStyle::kCaption | DialogStyle::kModalFrame | DialogStyle::kAppWindow);
  dialog.controls = {
      DefaultButton(platform::IDOK, "&Close", {359, 362, 62, 14}),
      Make(IDC_STATUS_EDIT, ControlKind::kEdit, "", {7, 37, 425, 129},
           ControlStyle::kMultiLine | ControlStyle::kAutoVerticalScroll |
               ControlStyle::kVerticalScroll | kReadOnlyEdit),
      Static(IDC_STATUS_LABEL, "Status", {7, 14, 21, 8}),
      Make(IDC_FILE_PATH, ControlKind::kEdit, "", {19, 285, 264, 14}, kReadOnlyEdit),
      Make(IDC_DOWNLOAD_PROGRESS, ControlKind::kProgressBar, "", {108, 359, 182, 14},
           ControlStyle::kSmooth | ControlStyle::kBorder),
      Static(IDC_DOWNLOAD_LABEL, "Download Progress", {7, 362, 70, 8}),
      Button(IDC_BROWSE, "Browse", {291, 286, 50, 14}),
      Button(IDC_CLEAR_WINDOW, "Clear Window", {7, 240, 50, 14}),
      Button(IDC_UPGRADE, "&Upgrade", {359, 340, 62, 14}),
      Make(IDC_BYTES_TRANSFERRED, ControlKind::kEdit, "", {163, 327, 64, 14}, kReadOnlyEdit),
      Static(IDC_BYTES_LABEL, "Bytes Transferred", {80, 330, 67, 8}),
      Button(IDC_RESET_USB_DEVICE, "&Reset USB Device", {345, 238, 71, 14}),
      Button(IDC_ABOUT, "&About", {7, 327, 62, 14}),
      Button(IDC_DETECT_USB_DEVICE, "&Detect USB Device", {345, 255, 71, 14}),
      Make(IDC_SHOW_STATUS, ControlKind::kCheckBox, "&Show Status", {13, 227, 59, 10},
           ControlStyle::kTabStop),
      Static(IDC_LOG_NOTE,
             "Note: In any case status will be logged in  TessalyStatus.txt under your install "
             "folder",
             {79, 228, 304, 8}),
      Make(IDC_COMMAND_LIST, ControlKind::kComboBox, "", {122, 240, 138, 131}, kListStyle),
      Static(IDC_COMMAND_LABEL, "Select Command", {61, 242, 56, 11}),
      Make(IDC_FIRMWARE_TYPE_LIST, ControlKind::kComboBox, "", {122, 255, 138, 46}, kListStyle),
      Static(IDC_FIRMWARE_TYPE_LABEL, "Select F/W Type", {61, 257, 56, 11}),
      Button(IDC_SEND_COMMAND, "Send Command", {267, 239, 62, 14}),
      Button(IDC_SEND_FW, "Send FW", {267, 255, 62, 14}),
      Static(IDC_BEGIN_HINT,
             "To begin, please click the upgrade button,\r\n\nor to exit, click the close button.",
             {161, 299, 136, 37}, ControlStyle::kHidden),
  };
  return dialog;
}
