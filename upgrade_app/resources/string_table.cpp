#include "upgrade_app/resources/string_table.h"

#include <algorithm>
#include <array>

#include "upgrade_app/resources/string_ids.h"

namespace {

struct StringResource {
  platform::UINT id;
  std::string_view text;
};

// Sorted by id.
constexpr std::array kStringTable = {
    StringResource{
        IDP_OLE_INIT_FAILED,
        "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    StringResource{IDS_ABOUTBOX, "&About Halcyra Upgrade..."},
    StringResource{
        IDS_START_UPGRADE_ON_PHONE,
        "In the unlikely event the phone's display contains the below message:\r\n\n   'Halcyra "
        "USB Download\r\n   Ready to start download',\r\n\nclick the 'Cancel' button, below, and "
        "call Customer Service.\r\n\nOtherwise, start the upgrade by performing the following "
        "steps on the phone:\r\n\n1.    Hit the MENU key on the phone.\r\n2.    Using the down "
        "arrow key on the phone scroll down to \"ADMIN SETUP\".\r\n3.    Hit the SELECT key.\r\n4. "
        "   Scroll down to \"SOFTWARE UPGRADE\".\r\n5.    Hit the SELECT key again.\r\n6.    Press "
        "the soft-key under the LCD display that says \"START\". The LCD display should show\r\n   "
        "   \"Please Start PC Upgrade Application\".\r\n7.    On this computer, click the OK "
        "button below."},
    StringResource{IDS_UPGRADE_SUCCESSFUL,
                   "The upgrade process was successful.\nPlease wait until the phone reboots, then "
                   "remove all cables."},
    StringResource{IDS_MESSAGE_CAPTION, "Halcyra Software Upgrade"},
    StringResource{
        IDS_REBOOT_PHONE,
        "The Upgrade process failed. In order to start the upgrade process \r\nyou will need to "
        "reboot the phone as follows using the phone menus:\r\n\r\n1.    Press the \"Menu\" "
        "key.\r\n2.    Using the down arrow key scroll down to \"ADMIN SETUP\".\r\n3.    Press the "
        "\"Select\" key.\r\n4.    Scroll down to \"DIAGNOSTICS\".\r\n5.    Press the SELECT key "
        "again.\r\n6.    Scroll down to \"REBOOT PHONE\".\r\n7.    Press the SELECT key.\r\n8.    "
        "Press the \"REBOOT\" softkey.\r\n9.    On this PC, click the OK button below."},
    StringResource{
        IDS_MENU_INSTRUCTIONS,
        "1.  Ensure Halcyra console is powered \t\t\t     using AC charger or a fully charged "
        "battery \n\n2.  Ensure USB cable is securely connected to \t\t\t     Halcyra console and "
        "the computer\n\n3.  On the Halcyra console:\n\n      a.  Press the MENU button\n\n      "
        "b.  Using the down arrow button, scroll to ADMIN SETUP\n\n      c.  Press the SELECT "
        "button\n\n      d.  Scroll to SOFTWARE UPGRADE\n\n      e.  Press the SELECT button\n\n   "
        "   f.   Press the START button\n\n4.  Click the UPGRADE button below to begin"},
    StringResource{IDS_DETECTION_FAILED, "ERROR: Halcyra DETECTION FAILED.\r\n"},
    StringResource{IDS_FOLLOW_STEPS, "IMPORTANT:  PLEASE FOLLOW THE STEPS BELOW.\r\n"},
    StringResource{IDS_STEP_UPGRADING_FIRMWARE, "Step 2 of 6 - Upgrading Halcyra firmware...\r\n"},
    StringResource{IDS_STEP_UPGRADING_RADIO_FIRMWARE,
                   "Step 4 of 6 - Upgrading Halcyra radio firmware...\r\n"},
    StringResource{IDS_CONFIGURING_RADIO_PARAMETERS,
                   "Configuring Halcyra radio parameters - please continue to wait...\r\n"},
    StringResource{IDS_STEP_VERIFYING_RADIO_PARAMETERS,
                   "Step 6 of 6 - Verifying Halcyra radio parameters...\r\n"},
    StringResource{IDS_STEP_PREPARING_VERIFICATION,
                   "Step 5 of 6 - Preparing Halcyra for radio parameters verification...\r\n"},
    StringResource{IDS_STEP_INITIALIZING,
                   "Step 1 of 6 - Initializing Halcyra firmware upgrade...\r\n"},
    StringResource{IDS_STEP_PREPARING_RADIO_UPGRADE,
                   "Step 3 of 6 - Preparing Halcyra for radio firmware upgrade...\r\n"},
    StringResource{
        IDS_MUTE_INSTRUCTIONS,
        "1.  Ensure Halcyra console is powered \t\t\t     using AC charger or a fully charged "
        "battery \n\n2.  Ensure USB cable is securely connected to \t\t\t     Halcyra console and "
        "the computer\n\n3.  On the Halcyra console, press and \t\t\t     hold the MUTE "
        "button\n\n4.  Click the UPGRADE button below\n\n5.  Release the Mute button\n\n"},
    StringResource{IDS_READ_INSTRUCTIONS,
                   "\nImportant! Please read and follow the instructions below carefully\n"},
    StringResource{IDS_INVALID_COUNTRY_CODE,
                   "Upgrade aborted, Invalid Country Code programmed on the console!!!\r\n"},
    StringResource{IDS_INCOMPATIBLE_CPLD, "Upgrade aborted, Incompatible CPLD version!!!\r\n"},
    StringResource{IDS_UPGRADE_WAS_SUCCESSFUL, "Halcyra software upgrade was successful"},
    StringResource{IDS_COMPLETE_STEPS_HEADING,
                   "Following steps must be performed to complete the upgrade process:"},
    StringResource{IDS_REGISTER_STEPS,
                   "\t1.   Press the REGISTER soft key on the Halcyra\n\n\t2.   Follow the "
                   "instruction on the Halcyra's display to complete registration"},
    StringResource{IDS_PHONE_READY,
                   "Your phone has been upgraded and is registered to its base station.  It is now "
                   "ready for use.\r\n\n"},
    StringResource{IDS_PHONE_SEARCHING,
                   "The phone console is searching for the radio signal from the base "
                   "station.\r\n\nThis process will complete or time out after one minute and "
                   "display will change to Ready or No Signal\r\n\nPlease select the option below "
                   "that matches what you see on the phone display:\r\n"},
    StringResource{
        IDS_PHONE_NOT_REGISTERED,
        "Your phone is not detecting a base station it is registered to.  Follow steps below to "
        "register the phone to the base station.\r\n\n1. The Halcyra console and base station "
        "originally shipped together have matching serial numbers which can be used to confirm the "
        "original pair. Alternatively the Halcyra can be registered to any base station by "
        "following steps below.\r\n\n2. Confirm that the base station is plugged in and receiving "
        "power (status light is on)\r\n\n3. Use the phone console menu to manually initiate the "
        "Registration process:\r\nPush the MENU key ->select ADMIN ->select REGISTRATION\r\n\n4. "
        "Press Register softkey on the Halcyra\r\n\n5. Follow the instructions on the Halcyra's "
        "display to complete registration.\r\n\n"},
    StringResource{IDS_DIALOG_CAPTION, "Halcyra Software Upgrade"},
    StringResource{IDS_CHOOSE_OPTION, "Choose one of the listed options and then click Next"},
};

static_assert(std::is_sorted(kStringTable.begin(), kStringTable.end(),
                             [](const StringResource& a, const StringResource& b) {
                               return a.id < b.id;
                             }));

}  // namespace

std::string_view FindResourceString(platform::UINT id) {
  const auto found = std::lower_bound(
      kStringTable.begin(), kStringTable.end(), id,
      [](const StringResource& entry, platform::UINT wanted) { return entry.id < wanted; });
  return found != kStringTable.end() && found->id == id ? found->text : std::string_view();
}

std::string LoadResourceString(platform::UINT id) { return std::string(FindResourceString(id)); }
