#pragma once

// A main window whose runners are cut off: their messages (and the detection restart) are
// recorded instead of run, so a test sees exactly what a reply check let follow. Replies are fed
// as the worker leaves them: the report in the worker's fields, then WM_UPG_REPLY sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "platform/text_format.h"
#include "platform/thread/message_loop.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace replies_test {

using Bytes = std::vector<platform::BYTE>;

inline constexpr int kDeviceJob = 1;
inline constexpr int kStepDelay = 3000;
inline constexpr int kReplyTimeout = 20000;

inline bool IsSequenceMessage(platform::UINT message) {
  constexpr platform::UINT kCutOff[] = {
      WM_UPG_NEXT_TASK,    WM_UPG_NEXT_DETECTION_TASK,     WM_UPG_NEXT_CVM_TASK,
      WM_UPG_NEXT_BB_TASK, WM_UPG_NEXT_CONSOLE_PARAM_TASK, WM_UPG_START_DETECTION};
  return std::find(std::begin(kCutOff), std::end(kCutOff), message) != std::end(kCutOff);
}

class ProbeDialog final : public CCorvikUpgradeDlg {
 public:
  using CCorvikUpgradeDlg::CCorvikUpgradeDlg;

  std::vector<platform::UINT> sequence;  // runner and detection-start messages, in order
  std::vector<platform::UINT> routed;    // replies posted on to the detection or radio check
  int dispatched = 0;

 protected:
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                    platform::LRESULT& result) override {
    ++dispatched;
    if (IsSequenceMessage(message)) {
      sequence.push_back(message);
      result = 0;
      return true;
    }
    if (message == WM_UPG_DETECTION_REPLY || message == WM_UPG_CVM_REPLY) {
      routed.push_back(message);
    }
    return CCorvikUpgradeDlg::RouteMessage(message, wParam, lParam, result);
  }
};

// Handles what is queued, and what that queued in turn, until a pass handles nothing.
inline void Drain(ProbeDialog& dialog) {
  int before = 0;
  do {
    before = dialog.dispatched;
    bool done = false;
    platform::PostClosure(platform::GetCurrentThreadId(), [&done] { done = true; });
    platform::RunModalLoop([&done] { return done; });
  } while (dialog.dispatched != before);
}

// The report as GetRecData hands it out: reply code in R0/R1, payload from R2, 64 bytes.
inline Bytes DecodedReply(int command, const Bytes& payload) {
  const int reply_code = command + 0x100;
  Bytes reply = {static_cast<platform::BYTE>(reply_code >> 8),
                 static_cast<platform::BYTE>(reply_code & 0xFF)};
  reply.insert(reply.end(), payload.begin(), payload.end());
  reply.resize(64, 0);
  return reply;
}

// What a check leaves behind.
enum class Outcome {
  kContinue,  // step delay running, the sequence keeps its buttons
  kStop,      // nothing follows: the way out is offered (the halt rule)
  kRetry,     // the runner's message again, the count up by one
  kRestart,   // detection started afresh
};

// One row of a check: the reply fed, the line the engineering window logs for a verified and a
// failed reply, and what a failed one leads to in the wizard. A verified reply goes on in the
// wizard and ends the job in the engineering window.
struct RowCase {
  int command;
  Bytes payload;
  std::string verified_line;
  std::string failed_line;
  Outcome failed;
};

inline std::string Where(int command, bool verified) {
  return platform::Format("command 0x%04X, %s reply", command, verified ? "verified" : "failed");
}

class ReplyCheckTest : public upgrade_app_test::MainWindowTest {
 protected:
  ReplyCheckTest() { g_bAbort = 0; }

  // Runs `body` inside a window (engineering: the VARSOLIN window), then closes it.
  void InWindow(bool engineering, const std::function<void(ProbeDialog&)>& body) {
    app_.m_bEngineeringMode = engineering ? 1 : 0;
    ProbeDialog dialog(engineering ? IDD_ENGINEERING_WINDOW : IDD_WIZARD_WINDOW);
    RunModal(dialog, [&] {
      body(dialog);
      dialog.SendMessage(platform::WM_CLOSE);
    });
    FinishWorker();
  }

  // A step under way: its buttons taken away, its reply time-out running, nothing recorded.
  static void Arm(ProbeDialog& dialog) {
    dialog.StopTimer(kStepTimerKind);
    dialog.StartTimer(kReplyTimeout, kReplyTimerKind);
    dialog.DisableAllButtons();
    dialog.EnableControl(platform::IDOK, platform::FALSE);
    dialog.m_strStatusText.clear();
    dialog.sequence.clear();
    dialog.routed.clear();
    dialog.m_nStepDelay = kStepDelay;
    dialog.m_bAborted = 0;
    g_bAbort = 0;
  }

  // A fresh step of a row: no failures counted, and the radio-module version of an earlier
  // reply (reported by the 0xD00A rows) at 1a.07.
  static void ArmRow(ProbeDialog& dialog) {
    Arm(dialog);
    dialog.m_nRetryCount = 0;
    dialog.m_nEnableUSBFailures = 0;
    dialog.m_nCVMMajor = 0x1A;
    dialog.m_nCVMMinor = 0x07;
  }

  // The recovery dialog that an abort may open is closed as soon as it is up.
  static void CloseRecoveryDialogWhenItOpens() {
    platform::PostClosure(platform::GetCurrentThreadId(), [] {
      platform::Dialog* const top = TopDialog();
      if (top != nullptr && top->GetTemplateId() == IDD_RECOVERY_DIALOG) {
        top->SendMessage(platform::WM_CLOSE);
      }
    });
  }

  // The main table's current step asks for the version `command` reads, to be compared.
  static void CompareAtMainStep(ProbeDialog& dialog, int step_number, int command) {
    _STRUCT_TASK step;
    step.nStep = step_number;
    step.nArgument = command;
    step.bCompareVersion = 1;
    dialog.m_mapTask.SetAt(static_cast<platform::UINT>(step_number), step);
    dialog.m_nCurrentStep = step_number;
  }

  static void SendReply(ProbeDialog& dialog, int command, bool verified, const Bytes& payload) {
    CUpGradeThread& worker = *dialog.m_pUpgradeThread;
    worker.m_arrReply = DecodedReply(command, payload);
    worker.m_bReplyVerified = verified ? 1 : 0;
    worker.m_bReplyReceived = 1;
    dialog.m_nPendingCommand = command;
    dialog.SendMessage(WM_UPG_REPLY, 0, 0);
    Drain(dialog);
  }

  static void SendDeviceResult(ProbeDialog& dialog, platform::WPARAM device, bool found) {
    dialog.m_nPendingCommand = kDeviceJob;
    dialog.SendMessage(WM_UPG_REPLY, device, found ? 1 : 0);
    Drain(dialog);
  }

  // The halt rule's mark: Exit offered, and in the wizard also Close and Upgrade.
  bool Halted(const ProbeDialog& dialog) const {
    const bool exit = Enabled(dialog, platform::IDOK);
    if (app_.m_bEngineeringMode != 0) return exit;
    return exit && dialog.CanChooseSystemCommand(platform::SC_CLOSE) &&
           Enabled(dialog, IDC_UPGRADE);
  }
  bool NothingOffered(const ProbeDialog& dialog) const {
    return !Enabled(dialog, platform::IDOK) &&
           (app_.m_bEngineeringMode != 0 ||
            (!dialog.CanChooseSystemCommand(platform::SC_CLOSE) && !Enabled(dialog, IDC_UPGRADE)));
  }

  // `route`: the message by which the reply reaches the runner's check (0: the main check).
  void ExpectEveryRowInTheWizard(ProbeDialog& dialog, const std::vector<RowCase>& rows,
                                 platform::UINT runner, platform::UINT route) const {
    for (const RowCase& row : rows) {
      ArmRow(dialog);
      SendReply(dialog, row.command, true, row.payload);
      ExpectOutcome(dialog, Outcome::kContinue, runner, Where(row.command, true));
      ExpectRoute(dialog, route, Where(row.command, true));

      ArmRow(dialog);
      SendReply(dialog, row.command, false, row.payload);
      ExpectOutcome(dialog, row.failed, runner, Where(row.command, false));
      ExpectRoute(dialog, route, Where(row.command, false));
      EXPECT_EQ(dialog.m_nRetryCount, row.failed == Outcome::kRetry ? 1 : 0)
          << Where(row.command, false);
    }
  }

  // No retry there: only a detection restart leads on.
  void ExpectEveryRowInTheEngineeringWindow(ProbeDialog& dialog, const std::vector<RowCase>& rows,
                                            platform::UINT route) const {
    for (const RowCase& row : rows) {
      for (const bool verified : {true, false}) {
        ArmRow(dialog);
        SendReply(dialog, row.command, verified, row.payload);
        EXPECT_EQ(dialog.m_strStatusText, verified ? row.verified_line : row.failed_line)
            << Where(row.command, verified);
        const bool restarts = !verified && row.failed == Outcome::kRestart;
        ExpectOutcome(dialog, restarts ? Outcome::kRestart : Outcome::kStop, 0,
                      Where(row.command, verified));
        ExpectRoute(dialog, route, Where(row.command, verified));
        EXPECT_EQ(dialog.m_nRetryCount, 0) << Where(row.command, verified);
      }
    }
  }

  static void ExpectRoute(const ProbeDialog& dialog, platform::UINT route,
                          const std::string& where) {
    EXPECT_EQ(dialog.routed,
              route == 0 ? std::vector<platform::UINT>{} : std::vector<platform::UINT>{route})
        << where;
  }

  void ExpectOutcome(const ProbeDialog& dialog, Outcome outcome, platform::UINT runner,
                     const std::string& where) const {
    SCOPED_TRACE(where);
    EXPECT_EQ(dialog.m_nPendingCommand, -1);
    EXPECT_EQ(dialog.m_nStepTimer != CCorvikUpgradeDlg::kNoTimer, outcome == Outcome::kContinue);
    EXPECT_EQ(dialog.m_nReplyTimer, CCorvikUpgradeDlg::kNoTimer);
    EXPECT_EQ(Halted(dialog), outcome == Outcome::kStop);
    EXPECT_EQ(NothingOffered(dialog), outcome != Outcome::kStop);
    std::vector<platform::UINT> expected;
    if (outcome == Outcome::kRetry) expected = {runner};
    if (outcome == Outcome::kRestart) expected = {WM_UPG_START_DETECTION};
    EXPECT_EQ(dialog.sequence, expected);
  }
};

// A check's abort brings up the recovery dialog, which ends as the parameter says.
class RecoveryEndingTest : public ReplyCheckTest,
                           public testing::WithParamInterface<upgrade_app_test::RecoveryEnding> {
 protected:
  RecoveryEndingTest() { CloseDialogsOnOpen({IDD_RECOVERY_DIALOG}, GetParam().choice); }

  // `abort` fails a step for the last time. A choice leaves Upgrade, Exit and Close to the
  // download or recovery it starts; closed without one, the way out is back.
  void ExpectEnding(ProbeDialog& dialog, const std::function<void()>& abort) {
    const std::optional<int> choice = GetParam().choice;
    Arm(dialog);
    app_.m_bSendingDSPFile = 0;
    abort();
    EXPECT_EQ(Halted(dialog), !choice);
    EXPECT_EQ(NothingOffered(dialog), choice.has_value());
    EXPECT_EQ(app_.m_bSendingDSPFile, choice == IDC_APPLICATION_UPGRADE ? 1 : 0);
    EXPECT_EQ(dialog.sequence, choice == IDC_BOOTROM_UPGRADE
                                   ? std::vector<platform::UINT>{WM_UPG_NEXT_BB_TASK}
                                   : std::vector<platform::UINT>{});
  }
};

}  // namespace replies_test
