#pragma once

// What a reply time-out does, decided from the retry count (already counted), the runner that
// owns the sequence and the command that was pending. Pure, so each row can be tested alone.

namespace retry_policy {

// The rows the owner's time-outs take; the boot-block recovery takes the main runner's.
enum class Runner { kMain, kDetection, kRadioModule };

// Every step run again or next step is the owner's, so that no step of another table runs.
enum class Action {
  kRepeatStep,             // post the owner's message: the same step again
  kRebootDialogue,         // ask the user to reboot the phone, then the same step again
  kPostRadioModuleRunner,  // post the radio-module runner's message
  kDetectionFailed,        // count back to 0, aborted, Exit enabled, the detection-failed texts
  kNextStepFresh,          // the owner's index + 1, count back to 0, post the owner's message
  kNextStep,               // the owner's index + 1, post the owner's message
  kAbort,                  // the upgrade is aborted
};

// Failures of a step from which on it is aborted, whatever runner owns it.
inline constexpr int kAbortCount = 4;

Action OnReplyTimeout(int retry_count, Runner runner, int pending_command);

}  // namespace retry_policy
