#include "platform/ui/headless/headless_backend.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_observer.h"
#include "platform/ui/headless/transcript_lines.h"

namespace platform {

namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  content = text.str();
  return true;
}

}  // namespace

// Puts dialogs on the window stack as they open and close and writes their lines.
class HeadlessBackend::DialogWatcher final : public DialogObserver {
 public:
  explicit DialogWatcher(HeadlessBackend& backend) : backend_(backend) {}

  void OnDialogCreated(Dialog& dialog) override {
    backend_.StartDriverOnce();
    // A hidden dialog (the host of a component) is nothing the user sees.
    if (!dialog.IsModal() && dialog.IsWindowVisible() == FALSE) {
      return;
    }
    backend_.transcript_->Write(FormatDialogOpenLine(dialog.GetTemplateId()));
    StackWindow window;
    window.kind = WindowKind::kDialog;
    window.key = WindowStack::KeyOf(dialog.GetSafeHwnd());
    window.hwnd = dialog.GetSafeHwnd();
    window.template_id = dialog.GetTemplateId();
    window.thread_id = GetWindowThreadId(dialog.GetSafeHwnd());
    backend_.stack_.Push(std::move(window));
  }

  void OnDialogClosed(Dialog& dialog, INT_PTR result) override {
    if (backend_.stack_.Take(WindowKind::kDialog, WindowStack::KeyOf(dialog.GetSafeHwnd()))) {
      backend_.transcript_->Write(FormatDialogCloseLine(dialog.GetTemplateId(), result));
    }
  }

 private:
  HeadlessBackend& backend_;
};

HeadlessBackend::HeadlessBackend(std::shared_ptr<Transcript> transcript,
                                 std::vector<ScriptCommand> script,
                                 AutomationDriver::ExitFunction exit)
    : transcript_(std::move(transcript)),
      wake_(std::make_shared<WaitPoint>()),
      stack_([wake = wake_] { GetClock().Notify(*wake); }),
      driver_(std::move(script), stack_, transcript_, wake_, std::move(exit)),
      watcher_(std::make_shared<DialogWatcher>(*this)) {
  AddDialogObserver(watcher_);
}

HeadlessBackend::~HeadlessBackend() {
  RemoveDialogObserver(watcher_.get());
  driver_.Stop();
}

std::unique_ptr<HeadlessBackend> HeadlessBackend::FromEnvironment(std::string& error) {
  std::shared_ptr<Transcript> transcript =
      Transcript::Open(EnvironmentValue("TESSALY_TRANSCRIPT"), error);
  if (!transcript) {
    return nullptr;
  }
  ParsedScript script;
  const std::string script_path = EnvironmentValue("TESSALY_SCRIPT");
  if (!script_path.empty()) {
    std::string text;
    if (!ReadWholeFile(script_path, text)) {
      error = "cannot read the automation script " + script_path;
      return nullptr;
    }
    script = ParseScript(text);
    if (!script.error.empty()) {
      transcript->Write(FormatErrorLine(script.error_line, script.error));
      error = "automation script " + script_path + ", line " + std::to_string(script.error_line) +
              ": " + script.error;
      return nullptr;
    }
  }
  return std::make_unique<HeadlessBackend>(std::move(transcript), std::move(script.commands));
}

void HeadlessBackend::StartDriverOnce() {
  std::call_once(driver_started_, [this] { driver_.Start(); });
}

void HeadlessBackend::PushWaiting(StackWindow window, std::uint64_t request_id, DWORD thread_id) {
  StartDriverOnce();
  window.key = request_id;
  window.thread_id = thread_id;
  stack_.Push(std::move(window));
}

void HeadlessBackend::OpenMessageBox(const MessageBoxRequest& request,
                                     std::function<void(int)> answer) {
  StackWindow window;
  window.kind = WindowKind::kMessageBox;
  window.box = std::make_shared<const MessageBoxRequest>(request);
  window.answer_box = std::move(answer);
  PushWaiting(std::move(window), request.id, request.thread_id);
}

void HeadlessBackend::OpenFileDialog(const FileDialogRequest& request,
                                     std::function<void(FileDialogAnswer)> answer) {
  StackWindow window;
  window.kind = WindowKind::kFileDialog;
  window.file = std::make_shared<const FileDialogRequest>(request);
  window.answer_file = std::move(answer);
  PushWaiting(std::move(window), request.id, request.thread_id);
}

void HeadlessBackend::Withdraw(std::uint64_t request_id) {
  if (!stack_.Take(WindowKind::kMessageBox, request_id)) {
    stack_.Take(WindowKind::kFileDialog, request_id);
  }
}

std::intptr_t HeadlessBackend::ShellExecute(const ShellRequest& request) {
  transcript_->Write(FormatShellLine(request));
  return kShellSucceeded;
}

void HeadlessBackend::ReportExit(int exit_code) {
  transcript_->Write(FormatExitLine(exit_code));
  driver_.Stop();
}

}  // namespace platform
