#pragma once

// The library's user interface. It is loaded by an outside program that runs no automation
// script and has no window of the library's, so a headless run cannot wait for answers: every
// message box is answered with its first button at once and written to the transcript.

#include <memory>
#include <string>

#include "platform/ui/headless/transcript.h"
#include "platform/ui/ui_backend.h"

namespace virelo {

class TranscriptBoxBackend final : public platform::UiBackend {
 public:
  explicit TranscriptBoxBackend(std::shared_ptr<platform::Transcript> transcript);

  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override;
  void OpenFileDialog(const platform::FileDialogRequest& request,
                      std::function<void(platform::FileDialogAnswer)> answer) override;
  void Withdraw(std::uint64_t request_id) override;
  std::intptr_t ShellExecute(const platform::ShellRequest& request) override;
  void ReportExit(int exit_code) override;

 private:
  std::shared_ptr<platform::Transcript> transcript_;
};

// TESSALY_UI=headless: installs a TranscriptBoxBackend writing to TESSALY_TRANSCRIPT (standard
// output when unset). Any other choice keeps the port's default, which notes each box on
// standard error. Returns what went wrong, or an empty text.
std::string InstallLibraryUiFromEnvironment();

}  // namespace virelo
