#pragma once

// What the end-to-end tests of the engineering window share: its sample installation, script
// pieces for the panel and the texts several cases expect.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/app/console_record.h"
#include "tests/e2e/app/tessaly_process.h"

namespace tessaly_e2e {

inline constexpr char kNoResponseText[] =
    "\r\nThere is no response from Halcyra.\r\nIt looks like the USB connection is not "
    "enabled.\r\nPlease check both cables and re-enter the key sequence on the phone to enable it "
    "for USB connection.\r\nOnce again for your convenience we repeat the key sequence:\r\n1.\tHit "
    "the EXIT key on the phone several times until the phone displays the word \"Ready\".\r\n2."
    "\tHit the MENU key on the phone.\r\n3.\tUsing the down arrow key on the phone scroll to "
    "\"ADMINISTRATION SETUP\".\r\n4.\tHit the SELECT key.\r\n5.\tScroll down to \"SOFTWARE "
    "UPGRADE\".\r\n6.\tHit the SELECT key again.\r\n7.\tPress the key under the LCD display "
    "that is under the word \"START\".\r\n8.\tOn the PC click OK.";

// The command list of the engineering window, in the order the window lists it.
inline constexpr char kCommandItems[] =
    "UPD_INIT_UPGRADE_CVMFLASH|UPD_SEND_CVM_HEADER|UPD_GET_RADIO_STATUS|UPD_RESET_CONSOLE|"
    "UPD_GET_CPLD_FW_VER|UPD_GET_CVM_LOCK_STATUS|UPD_INIT_UPGRADE_RADIOPARAMS|"
    "UPD_INIT_UPGRADE_DSPFLASH|UPD_INIT_VERIFY_RADIO_STATUS|UPD_GET_CVMFLASH_FW_VER|"
    "UPD_SEND_CVM_BOOTLOADER|UPD_ENABLE_USB|UPD_INIT_UPGRADE_CONSOLEPARAMS|UPD_GET_RADIO_MODE|"
    "UPD_CVM_IMAGE_END|UPD_INIT_UPGRADE_DSP_COMP|UPD_ENABLE_USB_UPGRADE|UPD_GET_DSPFLASH_FW_VER";
inline constexpr char kFirmwareTypeItems[] = "DSP Firmware|CPLD Firmware|CVM Firmware";

inline constexpr char kDspFilter[] = "DSP Firmware Files (*.bin)|*.bin|All Files (*.*)|*.*||";
inline constexpr char kCpldFilter[] = "CPLD Firmware Files (*.xsvf)|*.xsvf|All Files (*.*)|*.*||";
inline constexpr char kCvmFilter[] = "CVM Firmware Files (*.hex)|*.hex|All Files (*.*)|*.*||";
inline constexpr char kAnyFirmwareFilter[] =
    "DSP Firmware Files (*.bin)|*.bin|CPLD Firmware Files (*.xsvf)|*.xsvf|CVM Firmware Files "
    "(*.hex)|*.hex|All Files (*.*)|*.*||";

inline TessalyRoot EngineeringRoot() {
  sample_root::Options options;
  options.mode = "VARSOLIN";
  return TessalyRoot(options);
}

// A text as the transcript writes it inside double quotes.
inline std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '"':
        escaped += "\\\"";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// Script lines: choose a command in the panel's list and send it.
inline std::string SendCommand(std::string_view name) {
  return "select 1039 \"" + std::string(name) + "\"\nclick 1023\n";
}

// The transcript line of the status box showing `text`.
inline std::string StatusBoxLine(std::string_view text) {
  return "control 1000 text=\"" + Escaped(text) + "\" enabled=1 visible=1";
}

// The transcript line of a file dialog answered with `path`, or cancelled when it is empty.
inline std::string FileDialogLine(std::string_view filter, std::string_view path) {
  return "file-dialog filter=\"" + std::string(filter) +
         "\" answer=" + (path.empty() ? "cancel" : "\"" + std::string(path) + "\"");
}

// The transcript line of a box of the engineering window that the script answers with OK.
inline std::string WindowBoxLine(std::string_view text, std::string_view icon) {
  return "box thread=gui owner=104 caption=\"" + std::string(kProductCaption) + "\" text=\"" +
         Escaped(text) + "\" icon=" + std::string(icon) + " buttons=ok answer=ok";
}

// The transcript line of the command list with item `selection` (text `chosen`) chosen.
inline std::string CommandListLine(std::string_view chosen, int selection, bool enabled,
                                   bool dropped = false) {
  return "control 1039 text=\"" + std::string(chosen) + "\" enabled=" + (enabled ? "1" : "0") +
         " visible=1 sel=" + std::to_string(selection) + " items=\"" + kCommandItems + "\"" +
         (dropped ? " dropped=1" : "");
}

// The transcript line of the firmware-type list with nothing chosen.
inline std::string FirmwareTypeListLine(bool dropped = false) {
  return std::string("control 1040 text=\"\" enabled=1 visible=1 sel=-1 items=\"") +
         kFirmwareTypeItems + "\"" + (dropped ? " dropped=1" : "");
}

inline std::string RequestRecordLine(std::string_view code,
                                     const std::vector<std::uint8_t>& payload = {}) {
  return "request " + std::string(code) + " payload=\"" + HexPairs(payload) + "\"";
}

}  // namespace tessaly_e2e
