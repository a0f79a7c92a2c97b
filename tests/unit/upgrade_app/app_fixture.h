#pragma once

// A main window under test: virtual time, a recording user interface, the program's templates,
// an application object and a worker stand-in whose thread records the messages it gets.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "apps/make_sample_root/sample_root.h"
#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/win_thread.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_observer.h"
#include "platform/ui/dialog_windows.h"
#include "platform/ui/font.h"
#include "platform/ui/ui_backend.h"
#include "tests/support/participant.h"
#include "tests/unit/upgrade_app/temp_folder.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/resources/dialog_templates.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/worker_start.h"

namespace upgrade_app_test {

// The fonts the windows make: always Arial, of a height and weight.
inline platform::LogFont ArialFont(int height, int weight) {
  platform::LogFont font;
  font.face = "Arial";
  font.height = height;
  font.weight = weight;
  return font;
}

struct ShownBox {
  std::string text;
  std::string caption;
  platform::UINT flags = 0;
  std::optional<platform::UINT> owner_template;
};

struct OfferedFile {
  std::string filter;
  platform::DWORD flags = 0;
  std::optional<platform::UINT> owner_template;
};

// Answers every box at once (OK unless told otherwise) and each file dialog with the next queued
// answer (cancel when none is left); remembers both.
class RecordingUiBackend final : public platform::UiBackend {
 public:
  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override {
    int chosen = platform::IDOK;
    {
      const std::lock_guard lock(mutex_);
      boxes_.push_back({request.text, request.caption, request.flags, request.owner_template});
      if (!answers_.empty()) {
        chosen = answers_.front();
        answers_.erase(answers_.begin());
      }
    }
    answer(chosen);
  }
  // The next boxes are answered with these, in order; later ones with OK.
  void AnswerNextBoxesWith(std::vector<int> answers) {
    const std::lock_guard lock(mutex_);
    answers_ = std::move(answers);
  }
  void OpenFileDialog(const platform::FileDialogRequest& request,
                      std::function<void(platform::FileDialogAnswer)> answer) override {
    platform::FileDialogAnswer chosen;
    {
      const std::lock_guard lock(mutex_);
      const auto* const owner =
          dynamic_cast<const platform::Dialog*>(platform::FromHandle(request.owner));
      files_.push_back({request.filter, request.flags,
                        owner != nullptr ? std::optional(owner->GetTemplateId()) : std::nullopt});
      if (!file_answers_.empty()) {
        chosen = file_answers_.front();
        file_answers_.pop_front();
      }
    }
    answer(chosen);
  }
  // The next file dialog is answered with `path`, or cancelled with nothing.
  void QueueFileAnswer(platform::FileDialogAnswer answer) {
    const std::lock_guard lock(mutex_);
    file_answers_.push_back(std::move(answer));
  }
  void Withdraw(std::uint64_t /*request_id*/) override {}
  std::intptr_t ShellExecute(const platform::ShellRequest& /*request*/) override {
    return platform::kShellSucceeded;
  }
  void ReportExit(int /*exit_code*/) override {}

  std::vector<ShownBox> Boxes() const {
    const std::lock_guard lock(mutex_);
    return boxes_;
  }
  std::vector<OfferedFile> Files() const {
    const std::lock_guard lock(mutex_);
    return files_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
  std::vector<int> answers_;
  std::vector<OfferedFile> files_;
  std::deque<platform::FileDialogAnswer> file_answers_;
};

// Stands in for the worker thread: records the thread messages it takes and ends on
// WM_UPG_END_THREAD.
class RecordingWorker final : public platform::WinThread {
 public:
  platform::BOOL InitInstance() override { return platform::TRUE; }
  void DispatchThreadMessage(const platform::Msg& message) override {
    {
      const std::lock_guard lock(mutex_);
      messages_.push_back(message.message);
    }
    if (message.message == WM_UPG_END_THREAD) platform::EndThread(0);
  }
  std::vector<platform::UINT> Messages() const {
    const std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<platform::UINT> messages_;
};

// Ends a dialog as a person would: with a click of `button`, or through its close box when none
// is given.
inline void EndDialogWith(platform::HWND window, std::optional<int> button) {
  if (button) {
    platform::SendMessage(
        window, platform::WM_COMMAND,
        platform::MakeCommandParam(static_cast<platform::UINT>(*button), platform::BN_CLICKED), 0);
  } else {
    platform::SendMessage(window, platform::WM_CLOSE, 0, 0);
  }
}

// Closes (as with Esc) every dialog from the given templates as soon as it has opened, or clicks
// its `button`, and counts them; for tests that reach a modal dialog nobody is there to answer.
class ClosingDialogObserver final : public platform::DialogObserver {
 public:
  explicit ClosingDialogObserver(std::vector<platform::UINT> templates,
                                 std::optional<int> button = std::nullopt)
      : templates_(std::move(templates)), button_(button) {}

  void OnDialogCreated(platform::Dialog& dialog) override {
    if (std::find(templates_.begin(), templates_.end(), dialog.GetTemplateId()) ==
        templates_.end()) {
      return;
    }
    ++opened_;
    const platform::HWND window = dialog.GetSafeHwnd();
    platform::PostClosure(platform::GetCurrentThreadId(),
                          [window, button = button_] { EndDialogWith(window, button); });
  }
  int Opened() const { return opened_; }

 private:
  std::vector<platform::UINT> templates_;
  std::optional<int> button_;
  int opened_ = 0;
};

// How the recovery dialog can end: with one of its two choices, or closed without one.
struct RecoveryEnding {
  const char* name;
  std::optional<int> choice;  // the button clicked
  friend void PrintTo(const RecoveryEnding& ending, std::ostream* out) { *out << ending.name; }
};
inline const RecoveryEnding kRecoveryEndings[] = {
    {"ApplicationUpgrade", IDC_APPLICATION_UPGRADE},
    {"BootRomUpgrade", IDC_BOOTROM_UPGRADE},
    {"Closed", std::nullopt},
};
inline std::string RecoveryEndingName(const testing::TestParamInfo<RecoveryEnding>& ending) {
  return ending.param.name;
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    RegisterDialogTemplates();
    previous_starter_ = SetWorkerStarter([this](platform::HWND) { return StartRecordingWorker(); });
  }
  ~MainWindowTest() override {
    for (const auto& closer : closers_) platform::RemoveDialogObserver(closer.get());
    SetWorkerStarter(std::move(previous_starter_));
    FinishWorker();
  }

  // Runs `window` modally; `during` runs inside its modal loop once the window is up.
  platform::INT_PTR RunModal(platform::Dialog& window, std::function<void()> during) {
    platform::PostClosure(platform::GetCurrentThreadId(), std::move(during));
    return window.DoModal();
  }

  static bool Enabled(const platform::Dialog& dialog, int id) {
    return dialog.GetDlgItem(id)->IsWindowEnabled() != platform::FALSE;
  }
  static bool Visible(const platform::Dialog& dialog, int id) {
    return dialog.GetDlgItem(id)->IsWindowVisible() != platform::FALSE;
  }

  // The dialog on top of the calling thread (a box's owner, a nested dialog).
  static platform::Dialog* TopDialog() {
    return dynamic_cast<platform::Dialog*>(
        platform::FromHandle(platform::ActiveDialogOfThread(platform::GetCurrentThreadId())));
  }

  void WriteSettings(const sample_root::Options& options) {
    sample_root::WriteSettingsFile(root_.Path(), sample_root::DefaultSettings(options));
  }

  // Closes every dialog of `templates` as soon as it opens, or clicks its `button`; the observer
  // counts them.
  std::shared_ptr<ClosingDialogObserver> CloseDialogsOnOpen(
      std::vector<platform::UINT> templates, std::optional<int> button = std::nullopt) {
    auto observer = std::make_shared<ClosingDialogObserver>(std::move(templates), button);
    platform::AddDialogObserver(observer);
    closers_.push_back(observer);
    return observer;
  }

  // Lets the worker stand-ins run out (each ends on WM_UPG_END_THREAD) and waits for their end.
  void FinishWorker() {
    for (const auto& worker : workers_) {
      worker->ResumeThread();
      worker->End()->WaitFor(platform::GetClock().Now() + kWorkerWait);
    }
  }

  // What the newest worker stand-in took.
  std::vector<platform::UINT> WorkerMessages() const {
    return workers_.empty() ? std::vector<platform::UINT>() : workers_.back()->Messages();
  }

  static constexpr platform::Millis kWorkerWait = 1000;

  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  tessaly_test::ParticipantScope participant_;
  TempFolder root_;
  ScopedEnvironment root_variable_{"TESSALY_ROOT", root_.Path().string()};
  RecordingUiBackend* ui_ = new RecordingUiBackend;
  platform::ScopedUiBackend ui_scope_{std::unique_ptr<platform::UiBackend>(ui_)};
  CCorvikUpgradeApp app_;
  bool fail_worker_start_ = false;

 private:
  // A new stand-in for every window; one that still runs is never destroyed under its thread.
  StartedWorker StartRecordingWorker() {
    if (fail_worker_start_) return {};
    worker_identities_.emplace_back(CUpGradeThread::CreateObject());
    RecordingWorker* const worker =
        workers_.emplace_back(std::make_unique<RecordingWorker>()).get();
    worker->m_bAutoDelete = platform::FALSE;
    worker->CreateThread(platform::CREATE_SUSPENDED);
    return {worker_identities_.back().get(), worker->ThreadId(), worker->End(),
            [worker] { worker->ResumeThread(); }};
  }

  WorkerStarter previous_starter_;
  std::vector<std::shared_ptr<ClosingDialogObserver>> closers_;
  std::vector<std::unique_ptr<CUpGradeThread>> worker_identities_;
  std::vector<std::unique_ptr<RecordingWorker>> workers_;
};

}  // namespace upgrade_app_test
