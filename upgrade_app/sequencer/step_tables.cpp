#include "upgrade_app/sequencer/step_tables.h"

#include <algorithm>
#include <span>

#include "device_link/command_codes.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/flow/phases.h"
#include "upgrade_app/reported_exceptions.h"

namespace {

// When a row runs: always, never (skipped), or when a bit of the flags word is set.
enum class When { kAlways, kSkipped, kCpld, kDsp, kPrepare };

struct Row {
  int step;
  When when;
  int type;
  int argument;
  int timeout;
  platform::BYTE compare;
  int delay;
};

// Before a table is built the worker must search for the console again.
constexpr int kSearchAgain = -3;

int SkipMark(When when, int flags) {
  switch (when) {
    case When::kAlways:
      return 0;
    case When::kSkipped:
      return kStepSkipped;
    case When::kCpld:
      return (flags & kFlagCpld) != 0 ? 0 : kStepSkipped;
    case When::kDsp:
      return (flags & kFlagDsp) != 0 ? 0 : kStepSkipped;
    case When::kPrepare:
      return (flags & kFlagPrepare) != 0 ? 0 : kStepSkipped;
  }
  return kStepSkipped;
}

void Insert(CCorvikUpgradeDlg& dialog, const Row& row, int flags, int step) {
  _STRUCT_TASK task;
  task.nStep = step;
  task.nSkip = SkipMark(row.when, flags);
  task.nType = row.type;
  task.nArgument = row.argument;
  task.nTimeout = row.timeout;
  task.bCompareVersion = row.compare;
  task.nDelay = row.delay;
  dialog.m_mapTask.SetAt(static_cast<platform::UINT>(step), task);
}

void InsertRows(CCorvikUpgradeDlg& dialog, std::span<const Row> rows, int flags = 0) {
  for (const Row& row : rows) Insert(dialog, row, flags, row.step);
}

void StartBuild(CCorvikUpgradeDlg& dialog, bool search_again) {
  dialog.m_mapTask.RemoveAll();
  if (search_again) dialog.m_pApp->m_nDeviceNo = kSearchAgain;
}

int DspInitCommand(int variant) {
  return variant == kVariantDspComposite ? UPD_INIT_UPGRADE_DSP_COMP : UPD_INIT_UPGRADE_DSPFLASH;
}

}  // namespace

void SetTaskMap(CCorvikUpgradeDlg* pDlg, int flags, int variant) {
  ReportingExceptions(CaughtIn("SetTaskMap"), [&] {
    StartBuild(*pDlg, true);
    const Row rows[] = {
        {1, When::kPrepare, kStepPrepare, 1, 2000, 1, 2000},
        {2, When::kPrepare, kStepPrepareMore, 1, 2000, 1, 2000},
        {3, When::kCpld, kStepCommand, UPD_ENABLE_USB, 20000, 0, 2000},
        {4, When::kCpld, kStepCommand, UPD_RESET_CONSOLE, 20000, 1, 20000},
        {5, When::kCpld, kStepCommand, UPD_ENABLE_USB, 20000, 0, 2000},
        {6, When::kCpld, kStepIdentify, 1, 20000, 0, 2000},
        {7, When::kCpld, kStepCommand, kCpldInitCommand, 20000, 0, 20000},
        {8, When::kCpld, kStepCpldImage, 0, 6000, 0, 20000},
        {9, When::kDsp, kStepCommand, UPD_ENABLE_USB, 20000, 0, 2000},
        {10, When::kDsp, kStepCommand, UPD_GET_DSPFLASH_FW_VER, 20000, 1, 2000},
        {11, When::kDsp, kStepIdentify, 1, 20000, 0, 2000},
        {12, When::kDsp, kStepCommand, DspInitCommand(variant), 20000, 0, 20000},
        {13, When::kPrepare, kStepWait, 1, 2000, 1, 2000},
        {14, When::kDsp, kStepDspImage, 0, 20000, 0, 20000},
    };
    // A console that cannot be asked its DSP version gets the table without that row, the
    // later rows one step lower.
    const bool without_query = pDlg->m_nDSPMinor == kDspMinorWithoutVersionQuery;
    constexpr int kVersionQueryStep = 10;
    for (const Row& row : rows) {
      if (without_query && row.step == kVersionQueryStep) continue;
      const int step = without_query && row.step > kVersionQueryStep ? row.step - 1 : row.step;
      Insert(*pDlg, row, flags, step);
    }
  });
}

void SetTaskMapDSP1209(CCorvikUpgradeDlg* pDlg) {
  ReportingExceptions(CaughtIn("ONGetReceiveResponseThread"), [&] {
    StartBuild(*pDlg, true);
    const Row first_rows[] = {
        {1, When::kAlways, kStepPrepare, 1, 1000, 1, 1000},
        {2, When::kAlways, kStepPrepareMore, 1, 1000, 1, 1000},
        {3, When::kSkipped, kStepCommand, UPD_ENABLE_USB, 6000, 0, 1000},
        {4, When::kSkipped, kStepCommand, UPD_RESET_CONSOLE, 6000, 1, 10000},
        {5, When::kSkipped, kStepCommand, UPD_ENABLE_USB, 6000, 0, 1000},
        {6, When::kSkipped, kStepCommand, UPD_GET_CPLD_FW_VER, 6000, 1, 1000},
        {7, When::kSkipped, kStepIdentify, 1, 6000, 0, 1000},
        {8, When::kSkipped, kStepCommand, kCpldInitCommand, 6000, 0, 10000},
        {9, When::kSkipped, kStepCpldImage, 0, 6000, 0, 20000},
        {10, When::kAlways, kStepIdentify, 1, 6000, 0, 1000},
        {11, When::kAlways, kStepCommand, UPD_ENABLE_USB, 6000, 0, 1000},
        {12, When::kAlways, kStepCommand, UPD_GET_DSPFLASH_FW_VER, 6000, 1, 1000},
        {13, When::kAlways, kStepIdentify, 1, 6000, 0, 1000},
        {14, When::kAlways, kStepCommand, UPD_INIT_UPGRADE_DSP_COMP, 6000, 0, 20000},
        {15, When::kAlways, kStepIdentify, 1, 6000, 0, 1000},
    };
    InsertRows(*pDlg, first_rows);
    pDlg->m_bSendBootBlock = 1;
    const Row boot_block_rows[] = {
        {16, When::kAlways, kStepBootBlock, 0, 6000, 0, 1000},
        {17, When::kAlways, kStepWait, 1, 1000, 1, 1000},
        {18, When::kAlways, kStepDspImage, 0, 6000, 0, 1000},
    };
    InsertRows(*pDlg, boot_block_rows);
  });
}

void CCorvikUpgradeDlg::SetTaskMapDS(platform::BYTE flags) {
  ReportingExceptions(CaughtIn("SetTaskMapDS"), [&] {
    StartBuild(*this, true);
    m_bSendBootBlock = 0;
    const Row rows[] = {{10, When::kDsp, kStepDspImage, 0, 6000, 0, 1000}};
    InsertRows(*this, rows, flags);
  });
}

void CCorvikUpgradeDlg::SetTaskMapDSP1211(int flags, int variant) {
  ReportingExceptions("Exception catched in SetTaskMap", [&] {
    StartBuild(*this, true);
    const Row rows[] = {
        {1, When::kPrepare, kStepPrepare, 1, 1000, 1, 1000},
        {2, When::kPrepare, kStepPrepareMore, 1, 1000, 1, 1000},
        {3, When::kDsp, kStepIdentify, 1, 6000, 0, 1000},
        {4, When::kDsp, kStepCommand, DspInitCommand(variant), 6000, 0, 10000},
        {5, When::kPrepare, kStepWait, 1, 1000, 1, 1000},
        {6, When::kDsp, kStepIdentify, 1, 6000, 0, 1000},
        {7, When::kDsp, kStepDspImage, 0, 6000, 0, 1000},
    };
    InsertRows(*this, rows, flags);
  });
}

void SetTaskMapforCorvikDetection(CCorvikUpgradeDlg* pDlg) {
  ReportingExceptions(CaughtIn("SetTaskMapforCorvikDetection"), [&] {
    StartBuild(*pDlg, false);
    const Row rows[] = {
        {1, When::kAlways, kStepReset, 1, 25000, 0, 10000},
        {2, When::kAlways, kStepIdentify, 1, 20000, 0, 2000},
        {3, When::kAlways, kStepIdentify, 1, 20000, 0, 2000},
        {4, When::kAlways, kStepCommand, UPD_ENABLE_USB, 20000, 0, 2000},
        {5, When::kAlways, kStepCommand, UPD_GET_DSPFLASH_FW_VER, 20000, 0, 2000},
    };
    InsertRows(*pDlg, rows);
    // The detection before the radio-module upgrade also reads what that upgrade needs.
    if (pDlg->m_nPhase != kRadioModuleDetection) return;
    const Row phase_three_rows[] = {
        {6, When::kAlways, kStepCommand, UPD_GET_CVMFLASH_FW_VER, 20000, 0, 2000},
        {7, When::kAlways, kStepCommand, UPD_GET_RADIO_MODE, 20000, 0, 2000},
        {8, When::kAlways, kStepCommand, UPD_GET_CPLD_FW_VER, 20000, 0, 2000},
    };
    InsertRows(*pDlg, phase_three_rows);
  });
}

void CCorvikUpgradeDlg::SetTaskMapCVM() {
  ReportingExceptions("Exception catched in SetTaskMapCVM", [&] {
    StartBuild(*this, true);
    const Row rows[] = {
        {1, When::kAlways, kStepIdentify, 1, 20000, 0, 2000},
        {2, When::kAlways, kStepIdentify, 1, 20000, 0, 2000},
        {3, When::kAlways, kStepCommand, UPD_ENABLE_USB_UPGRADE, 20000, 0, 2000},
        {4, When::kAlways, kStepCommand, UPD_GET_CVMFLASH_FW_VER, 20000, 0, 2000},
        {5, When::kAlways, kStepCommand, UPD_INIT_UPGRADE_CVMFLASH, 20000, 0, 8000},
        {6, When::kAlways, kStepCommand, UPD_SEND_CVM_BOOTLOADER, 20000, 0, 4000},
        {7, When::kAlways, kStepCommand, UPD_SEND_CVM_HEADER, 20000, 0, 20000},
        {8, When::kAlways, kStepCvmImage, 0, 700000, 0, 120000},
    };
    InsertRows(*this, rows);
  });
}

void CCorvikUpgradeDlg::SetTaskMapVerification() {
  ReportingExceptions("Exception catched in SetTaskMapVerification", [&] {
    StartBuild(*this, true);
    const Row rows[] = {
        {1, When::kAlways, kStepIdentify, 1, 20000, 0, 2000},
        {2, When::kAlways, kStepIdentify, 1, 20000, 0, 2000},
        {3, When::kAlways, kStepCommand, UPD_ENABLE_USB_UPGRADE, 20000, 0, 2000},
        {4, When::kAlways, kStepCommand, UPD_GET_CVMFLASH_FW_VER, 2000, 0, 2000},
        {5, When::kAlways, kStepCommand, UPD_INIT_VERIFY_RADIO_STATUS, 10000, 0, 10000},
        {6, When::kAlways, kStepCommand, UPD_GET_RADIO_STATUS, 10000, 0, 6000},
        {7, When::kAlways, kStepCommand, UPD_RESET_CONSOLE, 20000, 1, 20000},
    };
    InsertRows(*this, rows);
  });
}

void CCorvikUpgradeDlg::SetTaskMapConsole() {
  ReportingExceptions(CaughtIn("SetTaskMapConsole"), [&] {
    StartBuild(*this, true);
    const Row rows[] = {
        {1, When::kAlways, kStepIdentify, 1, 10000, 0, 2000},
        {2, When::kAlways, kStepIdentify, 1, 10000, 0, 2000},
        {3, When::kAlways, kStepCommand, UPD_ENABLE_USB_UPGRADE, 10000, 0, 2000},
        {4, When::kAlways, kStepCommand, UPD_INIT_UPGRADE_RADIOPARAMS, 60000, 0, 80000},
    };
    InsertRows(*this, rows);
  });
}

void SetTaskMapConsoleParams(CCorvikUpgradeDlg* pDlg) {
  ReportingExceptions(CaughtIn("SetTaskMap"), [&] {
    StartBuild(*pDlg, false);
    const Row rows[] = {
        {1, When::kAlways, kStepCommand, UPD_INIT_UPGRADE_CONSOLEPARAMS, 2000, 0, 20000},
        {2, When::kAlways, kStepCommand, UPD_INIT_UPGRADE_CONSOLEPARAMS, 2000, 0, 20000},
        {3, When::kAlways, kStepCommand, UPD_INIT_UPGRADE_CONSOLEPARAMS, 2000, 0, 20000},
    };
    InsertRows(*pDlg, rows);
  });
}

void SetTaskMapBBRecovery(CCorvikUpgradeDlg* pDlg) {
  StartBuild(*pDlg, true);
  const Row identify[] = {{1, When::kAlways, kStepIdentify, 1, 6000, 0, 1000}};
  InsertRows(*pDlg, identify);
  pDlg->m_bSendBootBlock = 1;
  const Row composite[] = {{2, When::kAlways, kStepDspImage, 0, 6000, 0, 1000}};
  InsertRows(*pDlg, composite);
}

std::optional<_STRUCT_TASK> StepToRun(const CCorvikUpgradeDlg& dialog, int& index) {
  _STRUCT_TASK step;
  while (dialog.m_mapTask.Lookup(static_cast<platform::UINT>(index), step) != 0) {
    if (step.nSkip != kStepSkipped) return step;
    ++index;
  }
  return std::nullopt;
}

std::vector<_STRUCT_TASK> TaskRows(const CCorvikUpgradeDlg& dialog) {
  std::vector<_STRUCT_TASK> rows;
  for (const auto& entry : dialog.m_mapTask) rows.push_back(entry.value);
  std::sort(rows.begin(), rows.end(),
            [](const _STRUCT_TASK& a, const _STRUCT_TASK& b) { return a.nStep < b.nStep; });
  return rows;
}
