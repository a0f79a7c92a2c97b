// Every reply, identify and reset result reaches the window here: it goes on to the check of the
// runner that owns the sequence, or the main check takes it. Download progress too.

#include <algorithm>
#include <array>
#include <utility>

#include "device_link/command_codes.h"
#include "device_link/upgrade_messages.h"
#include "platform/text_format.h"
#include "platform/ui/progress_bar.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/replies/check_table.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/sequencer/runner_modes.h"
#include "upgrade_app/sequencer/step_tables.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

using namespace reply_checks;

// Commands of the main tables that the command table gives no name.
constexpr int kFlashCode1 = 0xD015;
constexpr int kFlashCode2 = 0xD016;
constexpr int kFlashCode3 = 0xD017;
constexpr int kFlashCode4 = 0xD018;

// A console whose DSP flash is current goes on from the step after the DSP download.
constexpr int kStepAfterDspDownload = 18;

constexpr Comparison kDspComparison{
    .same_text = "\r\nDSP Flash FW Same!\r\nSoftware upgrade skipped",
    .different_text = "\r\nDSP Flash FW different!\r\n",
    .step_when_same = kStepAfterDspDownload,
};

constexpr OnFailed kDeviceNotFoundThenRecovery{.failure = Failure::kRetry,
                                               .text = kDeviceDetectionFailed,
                                               .abort = Abort::kRecoveryDialog,
                                               .marks_no_device = true};

constexpr ReplyRow kMainRows[] = {
    {kDeviceJob, Read(Reading::kDeviceFound), kDeviceNotFoundThenRecovery},
    {Code(UPD_GET_DSPFLASH_FW_VER), ReadAndCompare(Reading::kDspVersion, kDspComparison),
     Retry(kVerificationFailedLf, Abort::kDetectionFailed)},
    {Code(UPD_GET_CPLD_FW_VER), ReadAndCompare(Reading::kCpldVersion, kCpldComparison),
     Retry(kVerificationFailed, Abort::kDetectionFailed)},
    {Code(UPD_GET_CVMFLASH_FW_VER), ReadAndCompare(Reading::kCvmVersion, kCvmComparison),
     Stop("\r\nReceived response verification failed for UPD_GET_CVMFLASH_FW_VER\r\n")},
    {Code(UPD_GET_RADIO_MODE), Read(Reading::kCountryCode),
     Retry(kVerificationFailedLf, Abort::kDetectionFailed)},
    kLockStatusRow,
    kRadioStatusRow,
    kVerifyRadioStatusRow,
    kEnableUsbRow,
    {Code(UPD_ENABLE_USB_UPGRADE), Log("\r\nValid Enable USB Upgrade response received\r\n"),
     kGenericFailure},
    kResetConsoleRow,
    {Code(UPD_INIT_UPGRADE_DSPFLASH), Log({}), kGenericFailure},
    {Code(UPD_INIT_UPGRADE_DSP_COMP),
     Log("\r\nDSP Composite upgrade response received\r\nPlease wait for complete upgrade "
         "initialization!\r\n"),
     kGenericFailure},
    {kCpldInitCommand,
     Log("\r\nCPLD upgrade response received\r\nPlease wait for complete upgrade "
         "initialization!\r\n"),
     kGenericFailure},
    kCvmUpgradeRow,
    kBootLoaderRow,
    {kFlashCode1, Log("\r\nValid FlashCode1 response received\r\n"), kGenericFailure},
    {kFlashCode2, Log("\r\nValid FlashCode2 response received\r\n"), kGenericFailure},
    {kFlashCode3, Log("\r\nValid FlashCode3 response received\r\n"), kGenericFailure},
    {kFlashCode4, Log("\r\nValid FlashCode4 response received\r\n"), kGenericFailure},
    {Code(UPD_CVM_IMAGE_END), Read(Reading::kImageEnd), kGenericFailure},
    {Code(UPD_INIT_UPGRADE_RADIOPARAMS), Log(kRadioParamsReceived), kRadioParamsFailed},
    kCvmHeaderRow,
    // Drives the console-parameter runner, which also runs in the engineering window.
    {Code(UPD_INIT_UPGRADE_CONSOLEPARAMS),
     Log("\r\nUpgrade console parameters response received\r\n", Next::kContinueAlways),
     kGenericFailure},
};

// The replies that the detection and the radio-module checks take while their runner owns the
// sequence.
constexpr std::array kDetectionCommands = {
    kDeviceJob,
    Code(UPD_GET_DSPFLASH_FW_VER),
    Code(UPD_ENABLE_USB),
    Code(UPD_ENABLE_USB_UPGRADE),
    Code(UPD_GET_CVMFLASH_FW_VER),
    Code(UPD_GET_CVM_LOCK_STATUS),
    Code(UPD_GET_CPLD_FW_VER),
    Code(UPD_GET_RADIO_MODE),
};
constexpr std::array kRadioModuleCommands = {
    kDeviceJob,
    Code(UPD_ENABLE_USB),
    Code(UPD_ENABLE_USB_UPGRADE),
    Code(UPD_GET_CVMFLASH_FW_VER),
    Code(UPD_GET_DSPFLASH_FW_VER),
    Code(UPD_SEND_CVM_BOOTLOADER),
    Code(UPD_SEND_CVM_HEADER),
    Code(UPD_INIT_UPGRADE_CVMFLASH),
    Code(UPD_INIT_UPGRADE_RADIOPARAMS),
    Code(UPD_RESET_CONSOLE),
    Code(UPD_GET_RADIO_MODE),
    Code(UPD_GET_CVM_LOCK_STATUS),
    Code(UPD_GET_CPLD_FW_VER),
    Code(UPD_INIT_VERIFY_RADIO_STATUS),
    Code(UPD_GET_RADIO_STATUS),
    Code(UPD_INIT_UPGRADE_CONSOLEPARAMS),
};

template <std::size_t N>
bool Lists(const std::array<int, N>& commands, int command) {
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

constexpr platform::UINT kMainCheck = 0;

// The message that takes the pending command's reply to the check of the detection or the
// radio-module runner while it owns the sequence; kMainCheck when the main check takes it.
platform::UINT RunnerCheckOf(const CCorvikUpgradeDlg& dialog) {
  if (dialog.m_nDetectionMode != 0 && Lists(kDetectionCommands, dialog.m_nPendingCommand)) {
    return WM_UPG_DETECTION_REPLY;
  }
  if (dialog.m_nCVMMode != 0 && Lists(kRadioModuleCommands, dialog.m_nPendingCommand)) {
    return WM_UPG_CVM_REPLY;
  }
  return kMainCheck;
}

// The bar shows two downloads of a run, the second one in its second half (from half the
// first image's size on); after the second it goes back to 0.
constexpr int kSecondDownloadOffset = 177738;
constexpr int kDownloadsBeforeSecond = 1;
constexpr int kDownloadsShown = 2;
// A progress report of at most one transfer shows that the download is under way.
constexpr platform::LPARAM kFirstChunkBytes = 0x500;

int ProgressPosition(int downloads_done, platform::LPARAM bytes) {
  const int half = static_cast<int>(bytes / 2);
  if (downloads_done < kDownloadsBeforeSecond) return half;
  if (downloads_done == kDownloadsBeforeSecond) return half + kSecondDownloadOffset;
  return 0;
}

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::ONGetReceiveResponseThread(platform::WPARAM wParam,
                                                                platform::LPARAM lParam) {
  // A reply that finds nothing pending (a late or repeated one) changes nothing: not even the
  // time-out of a download under way or the panel's state. Nor does one that comes while a
  // runner's check is posted with the reply before it.
  if (m_nPendingCommand == kNothingPending || m_postedReply.has_value()) return 0;
  const bool checked = ReportingExceptions(CaughtIn("ONGetReceiveResponseThread"), [&] {
    StopTimer(kReplyTimerKind);
    // Taken now, while the worker waits in this send: a report it reads later changes nothing
    // of it.
    TakenReply reply = TakeReply(*this, m_nPendingCommand, lParam);
    if (const platform::UINT route = RunnerCheckOf(*this); route != kMainCheck) {
      m_postedReply = std::move(reply);
      PostMessage(route, wParam, lParam);
    } else {
      // The boot-block recovery runner's replies come here too: a retry re-runs its own step.
      RunCheck(*this, kMainRows, OwnerOfSequence(*this).message, reply, wParam);
    }
  });
  if (!checked) HaltSequence();
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::FileSendStatus(platform::WPARAM wParam,
                                                    platform::LPARAM lParam) {
  ReportingExceptions(CaughtIn("FileSendStatus"), [&] {
    auto* const progress = GetDlgItemAs<platform::ProgressBar>(IDC_DOWNLOAD_PROGRESS);
    if (wParam == kFileProgressStart) {
      if (m_nDownloadsDone != kDownloadsBeforeSecond && progress != nullptr) {
        progress->SetRange32(0, static_cast<int>(lParam));
      }
      return;
    }
    if (wParam != kFileProgressBytes && wParam != kFileProgressEnd) return;
    if (lParam <= kFirstChunkBytes) StopTimer(kReplyTimerKind);
    DisableAllButtons();
    SetControlText(IDC_BYTES_TRANSFERRED, platform::Format("%d", static_cast<int>(lParam)));
    if (progress != nullptr) progress->SetPos(ProgressPosition(m_nDownloadsDone, lParam));
    if (wParam != kFileProgressEnd) return;
    ++m_nDownloadsDone;
    UpdateStatus(this, "\r\nDownload Finished\r\n");
    if (m_nDownloadsDone == kDownloadsShown && progress != nullptr) progress->SetPos(0);
    StartTimer(m_nStepDelay, kStepTimerKind);
    if (EngineeringMode()) EnableAllButtons();
  });
  return 0;
}
