#pragma once

// The main window under test for the flow around the step sequences: it notes the messages it
// takes with the program's time and keeps back the ones a test stops the flow at.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/dialog.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace upgrade_flow_test {

class WatchedWindow : public CCorvikUpgradeDlg {
 public:
  using CCorvikUpgradeDlg::CCorvikUpgradeDlg;

  // The message no longer reaches its handler; `instead` runs in its place.
  void Hold(
      platform::UINT message, std::function<void()> instead = [] {}) {
    held_[message] = std::move(instead);
  }

  // When the window took the message first (program time), if it did.
  std::optional<platform::Millis> TimeOf(platform::UINT message) const {
    for (const auto& [seen, at] : seen_) {
      if (seen == message) return at;
    }
    return std::nullopt;
  }
  bool Took(platform::UINT message) const { return TimeOf(message).has_value(); }

  platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                               platform::LPARAM lParam) override {
    if (message >= platform::WM_USER || message == platform::WM_TIMER) {
      seen_.emplace_back(message, platform::GetClock().Now());
    }
    if (const auto held = held_.find(message); held != held_.end()) {
      held->second();
      return 0;
    }
    return CCorvikUpgradeDlg::WindowProc(message, wParam, lParam);
  }

 private:
  std::map<platform::UINT, std::function<void()>> held_;
  std::vector<std::pair<platform::UINT, platform::Millis>> seen_;
};

class FlowTest : public upgrade_app_test::MainWindowTest {
 protected:
  // A step of a test, run on the window's loop, `delay` of program time after the step before.
  struct Step {
    template <typename Body>
    Step(Body run, platform::Millis wait = 0) : body(std::move(run)), delay(wait) {}
    std::function<void()> body;
    platform::Millis delay;
  };

  FlowTest() { g_bAbort = 0; }

  // Runs the window modally and the steps on its loop, each once everything that the step before
  // posted has been handled; then closes the window.
  void Run(WatchedWindow& window, std::vector<Step> steps) {
    steps.emplace_back([&window] { window.SendMessage(platform::WM_CLOSE); });
    RunModal(window, [this, &window, steps] { RunFrom(window, steps, 0); });
  }

  // Answers the dialog that `show` opens: `answer` gets it once it is up.
  static void Answering(const std::function<void(platform::Dialog&)>& answer,
                        const std::function<void()>& show) {
    platform::PostClosure(platform::GetCurrentThreadId(), [answer] {
      platform::Dialog* const top = TopDialog();
      ASSERT_NE(top, nullptr);
      answer(*top);
    });
    show();
  }

  static void Click(platform::Dialog& dialog, int id) {
    dialog.SendMessage(
        platform::WM_COMMAND,
        platform::MakeCommandParam(static_cast<platform::UINT>(id), platform::BN_CLICKED));
  }

  // Upgrade, Exit and the Close item: the wizard's ways on and out.
  static bool WayOutGiven(const platform::Dialog& dialog) {
    return Enabled(dialog, IDC_UPGRADE) && Enabled(dialog, platform::IDOK) &&
           dialog.CanChooseSystemCommand(platform::SC_CLOSE);
  }

  static void AddRow(CCorvikUpgradeDlg& window, int step, int type, int argument, int skip = 0) {
    _STRUCT_TASK row;
    row.nStep = step;
    row.nSkip = skip;
    row.nType = type;
    row.nArgument = argument;
    row.nTimeout = 20000;
    row.nDelay = 2000;
    window.m_mapTask.SetAt(static_cast<platform::UINT>(step), row);
  }

  const CUpGradeThread& Worker(const CCorvikUpgradeDlg& window) const {
    return *window.m_pUpgradeThread;
  }

 private:
  void RunFrom(WatchedWindow& window, std::vector<Step> steps, std::size_t next) {
    steps[next].body();
    if (next + 1 == steps.size()) return;
    platform::PostClosure(
        platform::GetCurrentThreadId(),
        [this, &window, steps, next] { RunFrom(window, steps, next + 1); }, steps[next + 1].delay);
  }
};

}  // namespace upgrade_flow_test
