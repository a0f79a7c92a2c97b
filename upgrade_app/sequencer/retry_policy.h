#pragma once

// What a reply time-out does, decided from the retry count (already counted), the runner that
// owns the sequence and the command that was pending. Pure, so each row can be tested alone.

namespace retry_policy {

// The rows the owner's time-outs take; the boot-block recovery takes the main runner's.
enum class Runner { kMain, kDetection, kRadioModule };

enum class Action {
  kRepeatMainStep,          // post the owner's message (main or recovery): the same step again
  kRebootDialogue,          // ask the user to reboot the phone, then the same step again
  kPostRadioModuleRunner,   // post the radio-module runner's message
  kDetectionFailed,         // count back to 0, aborted, Exit enabled, the detection-failed texts
  kNextDetectionStepFresh,  // detection index + 1, count back to 0, post the detection runner
  kNextDetectionStep,       // detection index + 1, post the detection runner
  kRepeatDetectionStep,     // post the detection runner: the same step again
  kNextRadioModuleStep,     // radio-module index + 1, post the radio-module runner
  kRepeatRadioModuleStep,   // post the radio-module runner: the same step again
  kAbort,                   // the upgrade is aborted
};

// Failures of a step from which on it is aborted, whatever runner owns it.
inline constexpr int kAbortCount = 4;

Action OnReplyTimeout(int retry_count, Runner runner, int pending_command);

}  // namespace retry_policy
