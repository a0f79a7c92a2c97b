#pragma once

// Runs the automation script against the program. The driver is a thread of its own that takes
// part in the clock and blocks only through it: it wakes when the program is quiescent or when a
// window opens or closes, so virtual time never runs past a box that waits for an answer (unless
// a pause keeps it for the command that follows). It acts on the program only by posting
// closures to the thread that owns the window concerned.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/headless/script.h"
#include "platform/ui/headless/transcript.h"
#include "platform/ui/headless/window_stack.h"

namespace platform {

class Dialog;

class AutomationDriver {
 public:
  // Ends the process with a status; the default flushes all output and exits at once.
  using ExitFunction = std::function<void(int)>;
  static constexpr int kIdleExitStatus = 3;
  static constexpr int kScriptErrorExitStatus = 4;

  // `wake` is notified by whoever changes `stack`.
  AutomationDriver(std::vector<ScriptCommand> script, WindowStack& stack,
                   std::shared_ptr<Transcript> transcript, std::shared_ptr<WaitPoint> wake,
                   ExitFunction exit);
  AutomationDriver(const AutomationDriver&) = delete;
  AutomationDriver& operator=(const AutomationDriver&) = delete;
  ~AutomationDriver();

  // Called by a program thread: counts the driver in the clock at once, then starts it.
  void Start();
  // Ends the driver and waits for its thread (the program is exiting).
  void Stop();

 private:
  struct StopRequest {};
  struct DialogStep;
  using DialogCommand = std::function<DialogStep(Dialog&)>;

  void Run();
  // `kept`: the kind of window the following command answers. One that opens while this command
  // lets the program run is left open for it.
  void Execute(const ScriptCommand& command, std::optional<WindowKind> kept);
  // Blocks until the window stack changes or the deadline; false when the deadline passed or
  // (without a deadline) the program is quiescent.
  bool AwaitProgram(Deadline deadline);
  void ThrowIfStopping() const;
  // Lets the program run until it is quiescent or a box or file dialog of kind `answered` waits,
  // which it returns; any other box or file dialog is answered automatically meanwhile.
  std::optional<StackWindow> Settle(std::optional<WindowKind> answered);
  void AnswerAutomatically(const StackWindow& window);
  void AnswerMessageBox(const ScriptCommand& command);
  void AnswerFileDialog(const ScriptCommand& command);
  // Returns once the dialog is the newest one: boxes it opens while it initialises are left to
  // the following command. Boxes that open before it are answered automatically.
  void WaitForDialog(const ScriptCommand& command);
  // Lets the program run for the command's time; boxes that open meanwhile are answered
  // automatically unless they are of kind `kept`.
  void Pause(const ScriptCommand& command, std::optional<WindowKind> kept);
  void ActOnTopmostDialog(const ScriptCommand& command, DialogCommand action);
  DialogCommand DialogCommandFor(const ScriptCommand& command) const;
  [[noreturn]] void Fail(const ScriptCommand& command, std::string_view message);

  std::vector<ScriptCommand> script_;
  WindowStack& stack_;
  std::shared_ptr<Transcript> transcript_;
  std::shared_ptr<WaitPoint> wake_;
  ExitFunction exit_;
  std::mutex start_mutex_;        // Start and Stop may come from different program threads
  std::shared_ptr<Clock> clock_;  // the clock the driver joined
  std::atomic<bool> stopping_ = false;
  std::thread thread_;
};

}  // namespace platform
