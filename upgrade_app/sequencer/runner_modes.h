#pragma once

// Which runner owns the sequence: each runner but the main one has a mode member, and at most one
// of them is set.

#include <initializer_list>

#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/sequencer/retry_policy.h"
#include "upgrade_app/sequencer/window_messages.h"

using RunnerMode = int CCorvikUpgradeDlg::*;

// Sets `owner`'s mode and clears the others; null leaves the sequence to the main runner.
inline void GiveSequenceTo(CCorvikUpgradeDlg& dialog, RunnerMode owner) {
  for (const RunnerMode mode :
       {&CCorvikUpgradeDlg::m_nDetectionMode, &CCorvikUpgradeDlg::m_nCVMMode,
        &CCorvikUpgradeDlg::m_nConsoleMode, &CCorvikUpgradeDlg::m_nBBMode}) {
    dialog.*mode = 0;
  }
  if (owner != nullptr) dialog.*owner = 1;
}

// The runner whose step a step delay advances and a retry or a time-out runs again.
struct SequenceOwner {
  platform::UINT message;
  int CCorvikUpgradeDlg::*step;
  retry_policy::Runner time_out_rows;
};

// Detection first, then the radio module, then the boot-block recovery, else the main runner.
// The console-parameter runner owns nothing here: a step delay advances it besides the owner.
inline SequenceOwner OwnerOfSequence(const CCorvikUpgradeDlg& dialog) {
  if (dialog.m_nDetectionMode != 0) {
    return {WM_UPG_NEXT_DETECTION_TASK, &CCorvikUpgradeDlg::m_nDetectionStep,
            retry_policy::Runner::kDetection};
  }
  if (dialog.m_nCVMMode != 0) {
    return {WM_UPG_NEXT_CVM_TASK, &CCorvikUpgradeDlg::m_nCVMStep,
            retry_policy::Runner::kRadioModule};
  }
  // The recovery's time-outs count as the main runner's; only its own message differs.
  if (dialog.m_nBBMode != 0) {
    return {WM_UPG_NEXT_BB_TASK, &CCorvikUpgradeDlg::m_nBBStep, retry_policy::Runner::kMain};
  }
  return {WM_UPG_NEXT_TASK, &CCorvikUpgradeDlg::m_nCurrentStep, retry_policy::Runner::kMain};
}
