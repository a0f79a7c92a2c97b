#include "device_check/library_ui.h"

#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/ui/headless/transcript_lines.h"
#include "platform/ui/ui_constants.h"

namespace virelo {

namespace {

constexpr std::string_view kHeadless = "headless";

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

TranscriptBoxBackend::TranscriptBoxBackend(std::shared_ptr<platform::Transcript> transcript)
    : transcript_(std::move(transcript)) {}

void TranscriptBoxBackend::OpenMessageBox(const platform::MessageBoxRequest& request,
                                          std::function<void(int)> answer) {
  transcript_->Write(platform::FormatBoxLine(request, platform::IDOK, true));
  answer(platform::IDOK);
}

void TranscriptBoxBackend::OpenFileDialog(const platform::FileDialogRequest& request,
                                          std::function<void(platform::FileDialogAnswer)> answer) {
  transcript_->Write(platform::FormatFileDialogLine(request, std::nullopt, true));
  answer(std::nullopt);
}

void TranscriptBoxBackend::Withdraw(std::uint64_t /*request_id*/) {}

std::intptr_t TranscriptBoxBackend::ShellExecute(const platform::ShellRequest& request) {
  transcript_->Write(platform::FormatShellLine(request));
  return platform::kShellSucceeded;
}

void TranscriptBoxBackend::ReportExit(int /*exit_code*/) {
  // The host program's exit is not the library's to report.
}

std::string InstallLibraryUiFromEnvironment() {
  if (EnvironmentValue("TESSALY_UI") != kHeadless) {
    return {};
  }
  std::string error;
  std::shared_ptr<platform::Transcript> transcript =
      platform::Transcript::Open(EnvironmentValue("TESSALY_TRANSCRIPT"), error);
  if (!transcript) {
    return error;
  }
  platform::InstallUiBackend(std::make_unique<TranscriptBoxBackend>(std::move(transcript)));
  return {};
}

}  // namespace virelo
