#pragma once

// The reply checks are tables: one row per pending command says what a verified reply is read
// into and how the sequence goes on, and what a failed one does. The main check, the detection
// check and the radio-module check share the rows on which they agree.

#include <span>
#include <string_view>

#include "device_link/command_codes.h"
#include "platform/win_types.h"
#include "upgrade_app/corvik_upgrade_dlg.h"

namespace reply_checks {

// What a verified reply is read into, with the line that reports it.
enum class Reading {
  kNothing,
  kDeviceFound,  // identify or reset result; the device number comes in wParam
  kDspVersion,
  kCpldVersion,
  kCvmVersion,
  kCountryCode,
  kLockStatus,
  kRadioStatus,
  kImageEnd,
  kCvmUpgradeStarted,  // reports the radio-module version of the last version reply
};

// How the sequence goes on after a verified reply.
enum class Next {
  kContinue,        // the step delay, except in the engineering window
  kContinueAlways,  // the step delay in both windows
  kCompare,         // the engineering window ends here; the wizard compares, then the step delay
  kContinueToVerification,  // kContinue, then the wizard's step text of the verification
};

// What a radio-module version that differs from the settings does to m_nCVMPhase.
enum class PhaseWhenDifferent { kUnchanged, kUpgrade, kUpgradeUnlessVerifying };

inline constexpr int kKeepStep = -1;

// The wizard's verdict on a version just read (ActiveTask: the main step's version test).
struct Comparison {
  std::string_view same_text;
  std::string_view different_text;
  int step_when_same = kKeepStep;  // main step index to go on from when it is the same
  PhaseWhenDifferent phase = PhaseWhenDifferent::kUnchanged;
};

struct OnVerified {
  Reading reading = Reading::kNothing;
  std::string_view text{};  // logged after the reading
  Next next = Next::kContinue;
  const Comparison* comparison = nullptr;
  bool clears_retry_count = false;
};

enum class Failure {
  kStop,              // the row's text, and nothing leads on
  kRetry,             // the same step again up to three times, then the row's abort
  kRestartDetection,  // detection from its start, twice; the third failure ends it
};

// How a retried row ends at its fourth failure.
enum class Abort {
  kNone,
  kRecoveryDialog,                // the recovery dialog, once
  kDetectionFailed,               // Exit enabled and the detection-failed texts
  kDetectionFailedWarningHidden,  // the same with the wizard's warning hidden
  kDetectionFailedStepCleared,    // the same, also with the wizard's step text cleared
};

struct OnFailed {
  Failure failure = Failure::kStop;
  std::string_view text{};
  Abort abort = Abort::kNone;
  bool marks_no_device = false;  // m_nDeviceState: no device
  // Restart rows: what the third failure leaves in m_nEnableUSBFailures (false: 0; true: one
  // more than the failures counted).
  bool keeps_counting = false;
};

struct ReplyRow {
  int command = 0;
  OnVerified verified;
  OnFailed failed;
};

// The reply to `command`'s request: an identify or reset job's result comes in `lParam`, a
// command's reply is the worker's copy. Only while the worker waits in its WM_UPG_REPLY send
// is that copy the reply the message brought. A reply that never came counts as not verified.
TakenReply TakeReply(const CCorvikUpgradeDlg& dialog, int command, platform::LPARAM lParam);

// Runs the check of `rows` on `reply`, the reply to the pending command. A retry posts
// `runner_message`. A pending command without a row reads nothing and halts the sequence; with
// nothing pending (a repeated reply) nothing changes. The caller handles a framework exception
// (a reply too short for its values).
void RunCheck(CCorvikUpgradeDlg& dialog, std::span<const ReplyRow> rows,
              platform::UINT runner_message, const TakenReply& reply, platform::WPARAM wParam);

// --- Building blocks of the tables ---

inline constexpr int kDeviceJob = CCorvikUpgradeDlg::kDeviceJob;

inline constexpr std::string_view kVerificationFailed =
    "\r\nReceived response verification failed\r\n";
// The same line as a few rows write it, without the carriage return.
inline constexpr std::string_view kVerificationFailedLf =
    "\nReceived response verification failed\r\n";
inline constexpr std::string_view kDeviceDetectionFailed = "\r\nDevice detection failed\r\n";
inline constexpr std::string_view kEnableUsbReceived = "\r\nValid Enable USB response received\r\n";

constexpr int Code(platform::UINT command) { return static_cast<int>(command); }

constexpr OnVerified Log(std::string_view text, Next next = Next::kContinue) {
  return {.text = text, .next = next};
}
constexpr OnVerified Read(Reading reading) { return {.reading = reading}; }
constexpr OnVerified ReadAndCompare(Reading reading, const Comparison& comparison) {
  return {.reading = reading, .next = Next::kCompare, .comparison = &comparison};
}
constexpr OnFailed Stop(std::string_view text = {}) { return {.text = text}; }
constexpr OnFailed Retry(std::string_view text, Abort abort) {
  return {.failure = Failure::kRetry, .text = text, .abort = abort};
}
inline constexpr OnFailed kGenericFailure = Stop(kVerificationFailed);

// A console whose CPLD is current goes on from the step after the CPLD download.
inline constexpr int kStepAfterCpldDownload = 9;

inline constexpr Comparison kCpldComparison{
    .same_text = "\r\nCPLD Flash FW same!\r\nUpdate skipped",
    .different_text = "\r\nCPLD Flash FW different!\r\n",
    .step_when_same = kStepAfterCpldDownload,
};
inline constexpr Comparison kCvmComparison{
    .same_text = "\r\n CVM Flash FW same!\r\nUpdate skipped",
    .different_text = "\r\n CVM Flash FW different!\r\n",
    .phase = PhaseWhenDifferent::kUpgrade,
};

// --- Rows on which several checks agree ---

inline constexpr ReplyRow kCpldVersionRowQuietOnFailure{
    Code(UPD_GET_CPLD_FW_VER), ReadAndCompare(Reading::kCpldVersion, kCpldComparison), Stop()};
inline constexpr ReplyRow kLockStatusRow{
    Code(UPD_GET_CVM_LOCK_STATUS), Read(Reading::kLockStatus),
    Stop("\nReceived response verification failed for UPD_GET_CVM_LOCK_STATUS\r\n")};
inline constexpr ReplyRow kRadioStatusRow{
    Code(UPD_GET_RADIO_STATUS), Read(Reading::kRadioStatus),
    Stop("\nReceived response verification failed for UPD_GET_RADIO_STATUS\r\n")};
inline constexpr ReplyRow kVerifyRadioStatusRow{
    Code(UPD_INIT_VERIFY_RADIO_STATUS),
    Log("\r\nValid response for UPD_INIT_VERIFY_RADIO_STATUS received\r\n"),
    Stop("\nReceived response verification failed for UPD_INIT_VERIFY_RADIO_STATUS\r\n")};
inline constexpr ReplyRow kEnableUsbRow{Code(UPD_ENABLE_USB), Log(kEnableUsbReceived),
                                        kGenericFailure};
inline constexpr ReplyRow kResetConsoleRow{
    Code(UPD_RESET_CONSOLE),
    Log("\r\nValid Reset Console response received\r\nPlease wait a while for complete console "
        "reinitialization!\r\n"),
    kGenericFailure};
inline constexpr ReplyRow kCvmUpgradeRow{Code(UPD_INIT_UPGRADE_CVMFLASH),
                                         Read(Reading::kCvmUpgradeStarted), kGenericFailure};
inline constexpr ReplyRow kBootLoaderRow{Code(UPD_SEND_CVM_BOOTLOADER),
                                         Log("\r\nValid BootLoader response received\r\n"),
                                         kGenericFailure};
inline constexpr ReplyRow kCvmHeaderRow{
    Code(UPD_SEND_CVM_HEADER), Log("\r\nValid response for UPD_SEND_CVM_HEADER received\r\n"),
    kGenericFailure};
inline constexpr OnFailed kRadioParamsFailed =
    Stop("\r\nReceived response verification failed for UPD_INIT_UPGRADE_RADIOPARAMS\r\n");
inline constexpr std::string_view kRadioParamsReceived =
    "\r\nValid Radio params upgrade response received\r\n";

// The country code in the detection and radio-module checks.
inline constexpr ReplyRow kCountryCodeRowOfRunners{
    Code(UPD_GET_RADIO_MODE), Read(Reading::kCountryCode),
    Retry(kVerificationFailedLf, Abort::kDetectionFailedWarningHidden)};

}  // namespace reply_checks
