#pragma once

// The builders of the step tables. Each empties the main window's task map and fills it with
// its fixed rows; the starters, not the builders, choose the first step and post the runner.

#include <optional>
#include <vector>

#include "upgrade_app/step_record.h"

class CCorvikUpgradeDlg;

// Step types.
inline constexpr int kStepCommand = 0;
inline constexpr int kStepDspImage = 1;
inline constexpr int kStepCpldImage = 2;
inline constexpr int kStepIdentify = 3;
inline constexpr int kStepPrepare = 4;
inline constexpr int kStepPrepareMore = 5;
inline constexpr int kStepDone = 6;
inline constexpr int kStepCvmImage = 7;
inline constexpr int kStepWait = 8;
inline constexpr int kStepBootBlock = 9;
inline constexpr int kStepReset = 10;
inline constexpr int kStepConsoleParams = 12;

inline constexpr int kStepSkipped = 3;

// Bits of the flags word of the DSP tables.
inline constexpr int kFlagCpld = 0x01;
inline constexpr int kFlagDsp = 0x02;
inline constexpr int kFlagPrepare = 0x04;
inline constexpr int kFlagsAlways = 0x0C;

// Command variants of the DSP initialisation row.
inline constexpr int kVariantDspFlash = 1;
inline constexpr int kVariantDspComposite = 2;

// The CPLD initialisation command, which the command table gives no name.
inline constexpr int kCpldInitCommand = 0xD008;

// The DSP minor version whose console cannot answer the version query.
inline constexpr int kDspMinorWithoutVersionQuery = 97;

void SetTaskMap(CCorvikUpgradeDlg* pDlg, int flags, int variant);
void SetTaskMapDSP1209(CCorvikUpgradeDlg* pDlg);
void SetTaskMapforCorvikDetection(CCorvikUpgradeDlg* pDlg);
void SetTaskMapConsoleParams(CCorvikUpgradeDlg* pDlg);
void SetTaskMapBBRecovery(CCorvikUpgradeDlg* pDlg);

// The step `index` names, or the first after it without the skip mark, with `index` moved on to
// it; nothing when the table ends before.
std::optional<_STRUCT_TASK> StepToRun(const CCorvikUpgradeDlg& dialog, int& index);

// The loaded table's rows in ascending step order (for tests and traces).
std::vector<_STRUCT_TASK> TaskRows(const CCorvikUpgradeDlg& dialog);
