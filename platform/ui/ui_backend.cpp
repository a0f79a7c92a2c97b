#include "platform/ui/ui_backend.h"

#include <atomic>
#include <iostream>

#include "platform/ui/headless/transcript_lines.h"
#include "platform/ui/ui_constants.h"

namespace platform {

namespace {

// Nobody is there to answer: the first button of every box, no file.
class UnattendedBackend final : public UiBackend {
 public:
  void OpenMessageBox(const MessageBoxRequest& request, std::function<void(int)> answer) override {
    Note(FormatBoxLine(request, IDOK, true));
    answer(IDOK);
  }

  void OpenFileDialog(const FileDialogRequest& request,
                      std::function<void(FileDialogAnswer)> answer) override {
    Note(FormatFileDialogLine(request, std::nullopt, true));
    answer(std::nullopt);
  }

  void Withdraw(std::uint64_t /*request_id*/) override {}

  std::intptr_t ShellExecute(const ShellRequest& request) override {
    Note(FormatShellLine(request));
    return kShellSucceeded;
  }

  void ReportExit(int /*exit_code*/) override {}

 private:
  static void Note(const std::string& line) { std::cerr << line << '\n'; }
};

std::unique_ptr<UiBackend>& ProcessBackend() {
  static std::unique_ptr<UiBackend> backend = std::make_unique<UnattendedBackend>();
  return backend;
}

}  // namespace

UiBackend& GetUiBackend() { return *ProcessBackend(); }

void InstallUiBackend(std::unique_ptr<UiBackend> backend) { ProcessBackend() = std::move(backend); }

void ReportExit(int exit_code) { GetUiBackend().ReportExit(exit_code); }

std::uint64_t NextUiRequestId() {
  static std::atomic<std::uint64_t> next_id = 1;
  return next_id++;
}

ScopedUiBackend::ScopedUiBackend(std::unique_ptr<UiBackend> backend)
    : previous_(std::move(ProcessBackend())) {
  ProcessBackend() = std::move(backend);
}

ScopedUiBackend::~ScopedUiBackend() { ProcessBackend() = std::move(previous_); }

}  // namespace platform
