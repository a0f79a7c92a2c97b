// The checks of the detection runner and of the radio-module runner (radio-module, verification
// and console tables): replies that the main reply handler posted on while they own the sequence.

#include <optional>
#include <span>
#include <string>
#include <utility>

#include "device_link/command_codes.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/replies/check_table.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace {

using namespace reply_checks;

constexpr OnVerified kDeviceFoundAfresh{.reading = Reading::kDeviceFound,
                                        .clears_retry_count = true};

constexpr OnFailed RestartDetectionOnFailure(bool keeps_counting) {
  return {.failure = Failure::kRestartDetection,
          .text = kVerificationFailed,
          .keeps_counting = keeps_counting};
}

constexpr ReplyRow kDetectionRows[] = {
    {kDeviceJob,
     kDeviceFoundAfresh,
     {.failure = Failure::kRetry,
      .text = kDeviceDetectionFailed,
      .abort = Abort::kDetectionFailedStepCleared,
      .marks_no_device = true}},
    {Code(UPD_GET_DSPFLASH_FW_VER), Read(Reading::kDspVersion),
     Retry(kVerificationFailedLf, Abort::kDetectionFailedWarningHidden)},
    {Code(UPD_ENABLE_USB), Log(kEnableUsbReceived), RestartDetectionOnFailure(false)},
    {Code(UPD_ENABLE_USB_UPGRADE), Log(kEnableUsbReceived), RestartDetectionOnFailure(true)},
    {Code(UPD_GET_CVMFLASH_FW_VER), ReadAndCompare(Reading::kCvmVersion, kCvmComparison),
     Retry(kVerificationFailedLf, Abort::kDetectionFailedWarningHidden)},
    kCountryCodeRowOfRunners,
    kLockStatusRow,
    kCpldVersionRowQuietOnFailure,
};

// While the verification after a radio-module download runs, a version that still differs
// must not start another radio-module upgrade.
constexpr Comparison kCvmComparisonUnlessVerifying{
    .same_text = kCvmComparison.same_text,
    .different_text = kCvmComparison.different_text,
    .phase = PhaseWhenDifferent::kUpgradeUnlessVerifying,
};

constexpr ReplyRow kRadioModuleRows[] = {
    {kDeviceJob,
     kDeviceFoundAfresh,
     {.failure = Failure::kRetry,
      .text = kDeviceDetectionFailed,
      .abort = Abort::kDetectionFailedStepCleared}},
    {Code(UPD_ENABLE_USB_UPGRADE), Log("\r\nValid UPD_ENABLE_USB_UPGRADE response received\r\n"),
     kGenericFailure},
    kEnableUsbRow,
    kResetConsoleRow,
    {Code(UPD_GET_CVMFLASH_FW_VER),
     ReadAndCompare(Reading::kCvmVersion, kCvmComparisonUnlessVerifying),
     Retry(kVerificationFailedLf, Abort::kDetectionFailedWarningHidden)},
    kCvmUpgradeRow,
    kBootLoaderRow,
    kCvmHeaderRow,
    {Code(UPD_INIT_UPGRADE_RADIOPARAMS), Log(kRadioParamsReceived, Next::kContinueToVerification),
     kRadioParamsFailed},
    kVerifyRadioStatusRow,
    kRadioStatusRow,
    kCountryCodeRowOfRunners,
    kLockStatusRow,
    kCpldVersionRowQuietOnFailure,
    {Code(UPD_GET_DSPFLASH_FW_VER), Read(Reading::kDspVersion),
     Stop("\nReceived response verification failed for UPD_GET_DSPFLASH_FW_VER\r\n")},
};

// Acts on the reply that the main reply handler took when it posted this check; a message that
// no reply brought changes nothing.
void RunRoutedCheck(CCorvikUpgradeDlg& dialog, const std::string& handler,
                    std::span<const ReplyRow> rows, platform::UINT runner_message,
                    platform::WPARAM wParam) {
  const std::optional<TakenReply> reply = std::exchange(dialog.m_postedReply, std::nullopt);
  if (!reply) return;
  const bool checked = ReportingExceptions("Exception catched in " + handler, [&] {
    RunCheck(dialog, rows, runner_message, *reply, wParam);
  });
  if (!checked) dialog.HaltSequence();
}

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::OnReceivedResponse(platform::WPARAM wParam,
                                                        platform::LPARAM /*lParam*/) {
  RunRoutedCheck(*this, "OnReceivedResponse", kDetectionRows, WM_UPG_NEXT_DETECTION_TASK, wParam);
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnCVMReceivedResponse(platform::WPARAM wParam,
                                                           platform::LPARAM /*lParam*/) {
  RunRoutedCheck(*this, "OnCVMReceivedResponse", kRadioModuleRows, WM_UPG_NEXT_CVM_TASK, wParam);
  return 0;
}
