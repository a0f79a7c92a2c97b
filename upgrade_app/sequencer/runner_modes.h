#pragma once

// Which runner owns the sequence: each runner but the main one has a mode member, and at most one
// of them is set.

#include <initializer_list>

#include "upgrade_app/corvik_upgrade_dlg.h"

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
