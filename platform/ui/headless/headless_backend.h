#pragma once

// The UI backend for runs without a person: it answers from the automation script and writes
// everything the program shows to the transcript (message boxes, dialogs opened and closed, file
// dialogs, shell opens, control states on request, the exit code).

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/headless/automation_driver.h"
#include "platform/ui/headless/script.h"
#include "platform/ui/headless/transcript.h"
#include "platform/ui/headless/window_stack.h"
#include "platform/ui/ui_backend.h"

namespace platform {

class HeadlessBackend final : public UiBackend {
 public:
  HeadlessBackend(std::shared_ptr<Transcript> transcript, std::vector<ScriptCommand> script,
                  AutomationDriver::ExitFunction exit = EndProcessNow);
  ~HeadlessBackend() override;

  // From TESSALY_SCRIPT (none: an empty script) and TESSALY_TRANSCRIPT (none: standard output).
  // Null, with `error` set, when either cannot be used.
  static std::unique_ptr<HeadlessBackend> FromEnvironment(std::string& error);

  void OpenMessageBox(const MessageBoxRequest& request, std::function<void(int)> answer) override;
  void OpenFileDialog(const FileDialogRequest& request,
                      std::function<void(FileDialogAnswer)> answer) override;
  void Withdraw(std::uint64_t request_id) override;
  std::intptr_t ShellExecute(const ShellRequest& request) override;
  void ReportExit(int exit_code) override;

 private:
  class DialogWatcher;

  // The driver starts with the program's first window, so that it never sees the program
  // quiescent before the program has begun.
  void StartDriverOnce();
  // Puts a box or file dialog that waits for an answer on the stack (the driver wakes).
  void PushWaiting(StackWindow window, std::uint64_t request_id, DWORD thread_id);

  std::shared_ptr<Transcript> transcript_;
  std::shared_ptr<WaitPoint> wake_;
  WindowStack stack_;
  AutomationDriver driver_;
  std::once_flag driver_started_;
  std::shared_ptr<DialogWatcher> watcher_;
};

}  // namespace platform
