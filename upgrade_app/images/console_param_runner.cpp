// The console-parameter sequence: the parameter block goes to the console in three slices of
// 32 bytes, one per step of the console-parameter table.

#include <algorithm>
#include <vector>

#include "device_link/command_codes.h"
#include "platform/text_format.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/images/console_params.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/sequencer/runner_modes.h"
#include "upgrade_app/sequencer/step_tables.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

constexpr std::size_t kSliceSize = 32;
// The first slice holds two block bytes fewer: its last two payload bytes stay 0xFF.
constexpr std::size_t kFirstSliceBytes = 30;
constexpr std::size_t kSliceShift = kSliceSize - kFirstSliceBytes;
constexpr platform::BYTE kFill = 0xFF;

// The payload of step `step` (from 1): step 1 carries block bytes 0-29, step n the 32 bytes
// from (n - 1) * 32 - 2 on, as long as they lie inside the block.
std::vector<platform::BYTE> SlicePayload(const std::vector<platform::BYTE>& block, int step) {
  std::vector<platform::BYTE> payload(kSliceSize, kFill);
  const auto number = static_cast<std::size_t>(step);
  std::size_t first = 0;
  std::size_t count = kFirstSliceBytes;
  if (number > 1) {
    first = (number - 1) * kSliceSize - kSliceShift;
    count = number * kSliceSize <= kConsoleParamBlockSize ? kSliceSize : 0;
  }
  if (first + count <= block.size()) {
    std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(first), count, payload.begin());
  }
  return payload;
}

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::OnStartConsoleParams(platform::WPARAM /*wParam*/,
                                                          platform::LPARAM /*lParam*/) {
  bool started = false;
  ReportingExceptions(CaughtIn("OnStartConsoleParams"), [this, &started] {
    m_arrConsoleParams.assign(kConsoleParamBlockSize, kFill);
    if (!ReadConsoleParams(m_arrConsoleParams, this)) return;
    SetTaskMapConsoleParams(this);
    m_nConsoleStep = 1;
    PostMessage(WM_UPG_NEXT_CONSOLE_PARAM_TASK);
    started = true;
  });
  // Nothing was sent, so no reply or time-out will give the panel back.
  if (!started) HaltSequence();
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnExecuteConsoleParamList(platform::WPARAM /*wParam*/,
                                                               platform::LPARAM /*lParam*/) {
  bool halt = true;
  ReportingExceptions("Exception catched in OnExecuteConsoleParamList", [this, &halt] {
    m_strStatusText.clear();
    DisableAllButtons();
    GiveSequenceTo(*this, &CCorvikUpgradeDlg::m_nConsoleMode);
    const std::optional<_STRUCT_TASK> found = StepToRun(*this, m_nConsoleStep);
    if (!found) {
      EnableAllButtons();
      m_nConsoleStep = 0;
      m_nConsoleMode = 0;
      EnableControl(platform::IDOK, platform::TRUE);
      EnableCloseCommand(true);
      halt = false;
      return;
    }
    const _STRUCT_TASK& step = *found;
    UpdateStatus(this,
                 platform::Format("OnExecuteConsoleParamList: Init Task# :%d\r\n", m_nConsoleStep));
    m_nStepTimeout = step.nTimeout;
    m_nStepDelay = step.nDelay;
    EnableControl(platform::IDOK, platform::FALSE);
    if (step.nType != kStepCommand) return;
    if (static_cast<platform::UINT>(step.nArgument) == UPD_RESET_CONSOLE) {
      SendStepCommand(step.nArgument);
    } else {
      GenericSendCommandN(step.nArgument, SlicePayload(m_arrConsoleParams, m_nConsoleStep));
    }
    halt = false;
  });
  // A step that hands nothing over (or broke off) ends the sequence.
  if (halt) HaltSequence();
  return 0;
}
