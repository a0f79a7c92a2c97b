#include "upgrade_app/sequencer/retry_policy.h"

#include "device_link/command_codes.h"

namespace retry_policy {

namespace {

bool IsEnableUsb(int command) {
  return command == static_cast<int>(UPD_ENABLE_USB) ||
         command == static_cast<int>(UPD_ENABLE_USB_UPGRADE);
}

constexpr int kDspVersion = static_cast<int>(UPD_GET_DSPFLASH_FW_VER);
constexpr int kCvmVersion = static_cast<int>(UPD_GET_CVMFLASH_FW_VER);
constexpr int kMainAbortCount = 3;

Action FirstTimeout(Runner runner, int pending_command) {
  if (runner == Runner::kMain) {
    if (IsEnableUsb(pending_command)) return Action::kRebootDialogue;
    if (pending_command == kCvmVersion) return Action::kPostRadioModuleRunner;
    return Action::kRepeatStep;
  }
  if (IsEnableUsb(pending_command)) return Action::kDetectionFailed;
  if (runner == Runner::kDetection) {
    return pending_command == kCvmVersion ? Action::kNextStepFresh : Action::kRepeatStep;
  }
  return Action::kRepeatStep;
}

Action LaterTimeout(int retry_count, Runner runner, int pending_command) {
  switch (runner) {
    case Runner::kDetection:
      return pending_command == kDspVersion ? Action::kNextStep : Action::kRepeatStep;
    case Runner::kRadioModule:
      return pending_command == kCvmVersion ? Action::kNextStep : Action::kRepeatStep;
    case Runner::kMain:
      break;
  }
  return retry_count >= kMainAbortCount ? Action::kAbort : Action::kRepeatStep;
}

}  // namespace

Action OnReplyTimeout(int retry_count, Runner runner, int pending_command) {
  if (retry_count >= kAbortCount) return Action::kAbort;
  if (retry_count <= 1) return FirstTimeout(runner, pending_command);
  return LaterTimeout(retry_count, runner, pending_command);
}

}  // namespace retry_policy
