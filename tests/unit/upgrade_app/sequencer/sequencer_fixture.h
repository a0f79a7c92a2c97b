#pragma once

// The main window under test with the means to let program time pass inside its modal loop.

#include <functional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/dialog.h"
#include "tests/unit/upgrade_app/app_fixture.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace upgrade_app_test {

class SequencerTest : public MainWindowTest {
 protected:
  SequencerTest() { g_bAbort = 0; }

  // Lets the GUI thread handle its messages and timers for `ms` of program time.
  static void RunFor(platform::Millis ms) {
    bool done = false;
    platform::PostClosure(
        platform::GetCurrentThreadId(), [&done] { done = true; }, ms);
    platform::RunModalLoop([&done] { return done; });
  }

  // Handles what is queued now (posted runner messages and the like), no time passing.
  static void Settle() { RunFor(0); }

  static platform::Millis Now() { return platform::GetClock().Now(); }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : ui_->Boxes()) texts.push_back(box.text);
    return texts;
  }
};

}  // namespace upgrade_app_test
