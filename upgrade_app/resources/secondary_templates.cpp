// Templates of the About box, the hidden USB access form and the wizard's follow-up dialogs.

#include "platform/ui/ui_constants.h"
#include "upgrade_app/resources/dialog_templates.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/template_builders.h"

using namespace template_builders;

namespace {

constexpr char kUsbAccessControlClass[] = "{74A35C0E-7D04-46B4-AACC-62540C31C112}";
constexpr char kUnplugAndReplug[] =
    "1. Please unplug the USB cable from the computer \n    and then replug into the computer "
    "\n\n";

}  // namespace

platform::DialogTemplate AboutBoxTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_ABOUTBOX, "About Halcyra Software Upgrade ", SansSerif8(), 235, 126, kPopupDialog);
  dialog.controls = {
      Picture(platform::IDC_STATIC, IDR_MAINFRAME, {7, 99, 21, 20}),
      Static(platform::IDC_STATIC, "Copyright (C) Orvanta", {33, 104, 138, 8}),
      DefaultButton(platform::IDOK, "OK", {178, 7, 50, 14}),
      Make(IDC_ABOUT_TEXT, ControlKind::kEdit, "", {7, 24, 221, 62},
           ControlStyle::kMultiLine | ControlStyle::kReadOnly | ControlStyle::kBorder),
  };
  return dialog;
}

platform::DialogTemplate UsbAccessFormTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_USB_ACCESS_FORM, "", SansSerif8(), 152, 104, DialogStyle::kChild);
  platform::ControlTemplate control = Make(IDC_USB_ACCESS_CONTROL, ControlKind::kCustom, "",
                                           {0, 0, 60, 25}, ControlStyle::kTabStop);
  control.class_id = kUsbAccessControlClass;
  dialog.controls = {control};
  return dialog;
}

platform::DialogTemplate RecoveryDialogTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_RECOVERY_DIALOG, "Halcyra Upgrade", SansSerif8(), 311, 338, kPopupDialog);
  dialog.controls = {
      Static(IDC_CAUTION_TEXT,
             "Caution: Read the instructions below carefully before taking any action.",
             {44, 18, 239, 20}),
      Static(platform::IDC_STATIC,
             "Please check the Halcyra display. \r\n\nA.  If the Halcyra LCD is displaying:",
             {44, 47, 239, 25}),
      Static(IDC_ERASE_TEXT, "\tErase complete\r\n\tWaiting for New Image", {44, 79, 239, 23}),
      Static(
          platform::IDC_STATIC,
          std::string(kUnplugAndReplug) + "2. Click \"BootROM Upgrade\" button below to continue",
          {44, 108, 239, 38}),
      DefaultButton(IDC_BOOTROM_UPGRADE, "BootROM Upgrade", {91, 160, 107, 14}),
      Static(platform::IDC_STATIC, "B.  If the Halcyra LCD is displaying:", {44, 196, 239, 17}),
      Static(IDC_READY_TEXT, "\tHalcyra USB Download\r\n\tReady to start download",
             {44, 216, 239, 24}),
      Static(platform::IDC_STATIC,
             std::string(kUnplugAndReplug) +
                 "2. Click \"Application Upgrade\" button below to continue",
             {44, 244, 239, 36}),
      DefaultButton(IDC_APPLICATION_UPGRADE, "Application Upgrade", {92, 297, 106, 14}),
  };
  return dialog;
}

platform::DialogTemplate CompleteDialogTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_COMPLETE_DIALOG, "Halcyra Software Upgrade", SansSerif8(), 347, 196, kPopupDialog);
  dialog.controls = {
      Static(IDC_COMPLETE_HEADING, "", {13, 14, 322, 25}),
      Static(IDC_COMPLETE_RESULT, "", {13, 50, 322, 25}),
      Static(IDC_COMPLETE_STEPS_HEADING, "", {13, 79, 322, 32}),
      Static(IDC_COMPLETE_STEPS, "", {13, 118, 322, 30}),
      DefaultButton(platform::IDOK, "OK", {148, 166, 50, 14}),
  };
  return dialog;
}

platform::DialogTemplate OptionsDialogTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_OPTIONS_DIALOG, "Halcyra Upgrade", SansSerif8(), 386, 206, kPopupDialog);
  dialog.controls = {
      Static(IDC_OPTIONS_HEADING, "", {17, 15, 351, 28}),
      Static(platform::IDC_STATIC,
             "Halcyra software upgrade was successful\r\n\nPlease look at the display on your "
             "Halcyra console and select the radio button for text matches what you see on the "
             "display\r\n",
             {17, 54, 351, 41}),
      Radio(IDC_OPTION_READY, "Ready", {35, 105, 215, 10},
            ControlStyle::kGroup | ControlStyle::kTabStop),
      Radio(IDC_OPTION_SEARCHING, "Searching For Signal or Please Wait", {35, 123, 215, 10}),
      Radio(IDC_OPTION_NO_SIGNAL, "No Signal", {35, 141, 215, 10}),
      Radio(IDC_OPTION_NOT_REGISTERED, "Not Registered", {35, 159, 215, 10}),
      Button(IDC_OPTIONS_NEXT, "&Next", {167, 174, 50, 14}, ControlStyle::kGroup),
  };
  return dialog;
}

platform::DialogTemplate SearchingDialogTemplate() {
  platform::DialogTemplate dialog =
      Dialog(IDD_SEARCHING_DIALOG, "Halcyra Upgrade", SansSerif8(), 381, 166, kPopupDialog);
  dialog.controls = {
      Static(IDC_SEARCHING_TEXT, "", {23, 19, 334, 49}),
      Radio(IDC_SEARCHING_READY, "Ready", {39, 79, 129, 10},
            ControlStyle::kGroup | ControlStyle::kTabStop),
      Radio(IDC_SEARCHING_NO_SIGNAL, "No Signal", {39, 101, 129, 10}),
      Button(IDC_SEARCHING_NEXT, "Next", {163, 132, 50, 14}, ControlStyle::kGroup),
  };
  return dialog;
}

void RegisterDialogTemplates() {
  for (platform::DialogTemplate dialog :
       {AboutBoxTemplate(), UsbAccessFormTemplate(), EngineeringWindowTemplate(),
        RecoveryDialogTemplate(), CompleteDialogTemplate(), WizardWindowTemplate(),
        OptionsDialogTemplate(), SearchingDialogTemplate()}) {
    platform::RegisterDialogTemplate(std::move(dialog));
  }
}
