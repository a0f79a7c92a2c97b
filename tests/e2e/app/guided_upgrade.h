#pragma once

// What the guided upgrade leaves behind on the default simulated console: the console's record
// piece by piece, the program times the step tables and waits add up to, and the transcript
// lines of the wizard's controls and boxes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "apps/make_sample_root/sample_root.h"
#include "tests/e2e/app/console_record.h"
#include "tests/e2e/app/tessaly_process.h"

namespace guided_upgrade {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

// ---- Program times (ms) ---------------------------------------------------------------------
// A step's delay runs from its good reply to the next step; jobs themselves take no program time
// on the simulated console.

// First detection: USB reset 10000, two identifies, enable USB and DSP version 2000 each.
inline constexpr int kFirstDetection = 10000 + 2000 + 2000 + 2000 + 2000;
// Full table rows 3 to 5 (CPLD part): enable USB, reset console, enable USB.
inline constexpr int kCpldRowsBeforeIdentify = 2000 + 20000 + 2000;
// Full table rows 6 to 8: identify, CPLD init, CPLD image.
inline constexpr int kCpldRowsFromIdentify = 2000 + 20000 + 20000;
inline constexpr int kCpldRows = kCpldRowsBeforeIdentify + kCpldRowsFromIdentify;
// Full table rows 9 to 12 (DSP part): enable USB, DSP version, identify, DSP init. Rows 1 and 2
// go on at once; the delay of row 14 (the image) is stopped when the download has been sent.
inline constexpr int kDspRows = 2000 + 2000 + 2000 + 20000;
// Row 13: the fixed waits before the DSP image.
inline constexpr int kWaitBeforeDspImage = 8000 + 7000 + 10000;
// After the DSP image: the console restarts, then the wait before the second detection.
inline constexpr int kWaitAfterDspImage = 25000;
inline constexpr int kWaitBeforeSecondDetection = 20000;
// Second detection: the first one's steps, then radio-module version, country code and CPLD
// version at 2000 each.
inline constexpr int kSecondDetection = kFirstDetection + 2000 + 2000 + 2000;
// Radio-module rows 1 to 6: two identifies, enable USB upgrade, version 2000 each, radio-module
// init 8000, boot loader 4000.
inline constexpr int kRadioModuleRowsBeforeHeader = 2000 + 2000 + 2000 + 2000 + 8000 + 4000;
// Row 7, the header; the delay of row 8 (the image) is stopped when the download has been sent.
inline constexpr int kHeaderRow = 20000;
inline constexpr int kWaitAfterRadioModuleImage = 110000;
// Verification: two identifies, enable USB upgrade, version 2000 each, verify init 10000, radio
// status 6000, reset console 20000; the verdict follows the last delay.
inline constexpr int kVerificationRows = 2000 + 2000 + 2000 + 2000 + 10000 + 6000 + 20000;

// From the Upgrade button to the end of the DSP download.
inline constexpr int kToDspImageSent = kFirstDetection + kCpldRows + kDspRows + kWaitBeforeDspImage;
// From the end of the DSP download to the end of the second detection.
inline constexpr int kAfterDspImageToRadioModule =
    kWaitAfterDspImage + kWaitBeforeSecondDetection + kSecondDetection;
// From the end of the second detection to the verdict.
inline constexpr int kRadioModuleToVerdict =
    kRadioModuleRowsBeforeHeader + kHeaderRow + kWaitAfterRadioModuleImage + kVerificationRows;

// Upgrade button to the status question: every delay of the tables that run and every fixed
// wait; no reply time-out fires on the default console.
inline constexpr int kQuestionAt =
    kToDspImageSent + kAfterDspImageToRadioModule + kRadioModuleToVerdict;

inline std::string Time(int ms) { return "time ms=" + std::to_string(ms); }

// ---- The console's record -------------------------------------------------------------------

inline std::string Request(unsigned code, const std::string& payload = "") {
  char text[32];
  std::snprintf(text, sizeof text, "request 0x%04X", code);
  return std::string(text) + " payload=\"" + payload + "\"";
}

inline Lines Join(std::initializer_list<Lines> parts) {
  Lines joined;
  for (const Lines& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

inline constexpr unsigned kEnableUsb = 0xD0AA;
inline constexpr unsigned kResetConsole = 0xD0AB;
inline constexpr unsigned kEnableUsbUpgrade = 0xD0AC;
inline constexpr unsigned kCpldVersion = 0xD001;
inline constexpr unsigned kDspVersion = 0xD002;
inline constexpr unsigned kRadioModuleVersion = 0xD003;
inline constexpr unsigned kCpldInit = 0xD008;
inline constexpr unsigned kDspInit = 0xD009;
inline constexpr unsigned kRadioModuleInit = 0xD00A;
inline constexpr unsigned kBootLoader = 0xD014;
inline constexpr unsigned kRadioModuleHeader = 0xD01B;
inline constexpr unsigned kRadioMode = 0xD01C;
inline constexpr unsigned kVerifyRadioInit = 0xD0AD;
inline constexpr unsigned kRadioStatus = 0xD0AE;

inline Lines FirstDetectionRecord() { return {"reset", Request(kEnableUsb), Request(kDspVersion)}; }
inline Lines SecondDetectionRecord() {
  return {"reset",
          Request(kEnableUsb),
          Request(kDspVersion),
          Request(kRadioModuleVersion),
          Request(kRadioMode),
          Request(kCpldVersion)};
}
inline Lines RadioModuleRecordBeforeHeader() {
  return {Request(kEnableUsbUpgrade), Request(kRadioModuleVersion), Request(kRadioModuleInit),
          Request(kBootLoader)};
}
inline Lines VerificationRecord() {
  return {Request(kEnableUsbUpgrade), Request(kRadioModuleVersion), Request(kVerifyRadioInit),
          Request(kRadioStatus), Request(kResetConsole)};
}

inline Lines CpldRecord(const tessaly_e2e::TessalyRoot& root) {
  return {Request(kEnableUsb), Request(kResetConsole), Request(kEnableUsb), Request(kCpldInit),
          tessaly_e2e::FileRecordLine(
              tessaly_e2e::StreamOfFile(root.Firmware(sample_root::kCpldImageName)))};
}
inline Lines DspRecord(const tessaly_e2e::TessalyRoot& root) {
  return {Request(kEnableUsb), Request(kDspVersion), Request(kDspInit),
          tessaly_e2e::FileRecordLine(
              tessaly_e2e::StreamOfFile(root.Firmware(sample_root::kDspImageName)))};
}

// ---- The radio-module image -----------------------------------------------------------------

inline constexpr std::uint32_t kRadioModuleStart = 0x00010000;

// The 0xD01B request that announces the image.
inline std::string HeaderRequest(const Bytes& image) {
  return Request(kRadioModuleHeader,
                 tessaly_e2e::HexPairs(tessaly_e2e::RadioModuleHeader(image, kRadioModuleStart)));
}

// A radio-module image of known bytes in place of the sample's, at the sample's address.
inline Bytes WriteRadioModuleImage(const tessaly_e2e::TessalyRoot& root) {
  constexpr std::uint32_t kSeed = 0x5EED;
  Bytes image = sample_root::MakeFillerImage(root.Options().cvm_image_size, kSeed);
  sample_root::WriteFile(root.Firmware(sample_root::kCvmImageName),
                         sample_root::MakeIntelHex(image, kRadioModuleStart));
  return image;
}

inline Lines RadioModuleRecord(const Bytes& image) {
  return Join({RadioModuleRecordBeforeHeader(),
               {HeaderRequest(image),
                tessaly_e2e::FileRecordLine(tessaly_e2e::RadioModuleDownload(image))}});
}

// Everything the default console receives in a guided upgrade of all three parts.
inline Lines WholeUpgradeRecord(const tessaly_e2e::TessalyRoot& root, const Bytes& image) {
  return Join({FirstDetectionRecord(), CpldRecord(root), DspRecord(root), SecondDetectionRecord(),
               RadioModuleRecord(image), VerificationRecord()});
}

// ---- Scripts, scenarios and transcript lines ------------------------------------------------

inline constexpr char kDefaultConsole[] = "[{}]";
using tessaly_e2e::kProductCaption;

inline constexpr char kStartAndReachQuestion[] = "click 1014\nwait dialog 1089\ntime\n";
// The main window's buttons, status line and warning, then the end through the Close command.
inline constexpr char kDumpMainWindowAndClose[] =
    "dump 1014\ndump 1\ndump 1072\ndump 1071\nsysmenu 0xF060\n";

inline constexpr char kReadyText[] =
    R"(Your phone has been upgraded and is registered to its base station.  It is now ready for use.\r\n\n)";

inline constexpr char kUpgradeEnabled[] = "control 1014 text=\"Upgrade\" enabled=1 visible=1";
inline constexpr char kExitEnabled[] = "control 1 text=\"Exit\" enabled=1 visible=1";
inline constexpr char kStatusLineEmpty[] = "control 1072 text=\"\" enabled=1 visible=1";
inline constexpr char kWarningText[] =
    "Upgrade takes several minutes...  DO NOT POWER OFF the Halcyra...";

inline std::string WarningLine(bool visible) {
  return std::string("control 1071 text=\"") + kWarningText +
         "\" enabled=1 visible=" + (visible ? "1" : "0");
}

// A message box answered with OK; `text` as the transcript escapes it.
inline std::string Box(const std::string& owner, const std::string& text, const std::string& icon,
                       const std::string& caption = kProductCaption) {
  return "box thread=gui owner=" + owner + " caption=\"" + caption + "\" text=\"" + text +
         "\" icon=" + icon + " buttons=ok answer=ok";
}

// Names the cases of a parameterised test after their `name` field.
struct NamedCase {
  template <typename Case>
  std::string operator()(const testing::TestParamInfo<Case>& case_info) const {
    return case_info.param.name;
  }
};

inline constexpr char kMainWindowClosed[] = "dialog close 1063 result=1";
inline constexpr char kExited[] = "exit code=0";

}  // namespace guided_upgrade
