#pragma once

// What the dialog and message-box tests share: a virtual clock in which the test thread is the
// GUI thread, and a UI backend that records every box and lets the test answer it.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/thread_role.h"
#include "platform/ui/ui_backend.h"
#include "tests/support/participant.h"

namespace tessaly_test {

class RecordingBackend final : public platform::UiBackend {
 public:
  struct Box {
    platform::MessageBoxRequest request;
    std::function<void(int)> answer;
  };
  struct File {
    platform::FileDialogRequest request;
    std::function<void(platform::FileDialogAnswer)> answer;
  };

  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override {
    std::optional<int> automatic;
    {
      const std::lock_guard lock(mutex_);
      boxes_.push_back(Box{request, answer});
      automatic = box_answer_;
    }
    if (automatic) {
      answer(*automatic);
    }
  }

  void OpenFileDialog(const platform::FileDialogRequest& request,
                      std::function<void(platform::FileDialogAnswer)> answer) override {
    const std::lock_guard lock(mutex_);
    files_.push_back(File{request, answer});
    answer(file_answer_);
  }

  void Withdraw(std::uint64_t request_id) override {
    const std::lock_guard lock(mutex_);
    withdrawn_.push_back(request_id);
  }

  std::intptr_t ShellExecute(const platform::ShellRequest& request) override {
    const std::lock_guard lock(mutex_);
    shell_.push_back(request);
    return platform::kShellSucceeded;
  }

  void ReportExit(int /*exit_code*/) override {}

  // Every later box is answered at once with this (nothing: the test answers).
  void AnswerBoxesWith(std::optional<int> answer) {
    const std::lock_guard lock(mutex_);
    box_answer_ = answer;
  }
  void AnswerFilesWith(platform::FileDialogAnswer answer) {
    const std::lock_guard lock(mutex_);
    file_answer_ = std::move(answer);
  }

  std::vector<Box> Boxes() const {
    const std::lock_guard lock(mutex_);
    return boxes_;
  }
  std::vector<File> Files() const {
    const std::lock_guard lock(mutex_);
    return files_;
  }
  std::vector<std::uint64_t> Withdrawn() const {
    const std::lock_guard lock(mutex_);
    return withdrawn_;
  }
  std::vector<platform::ShellRequest> ShellRequests() const {
    const std::lock_guard lock(mutex_);
    return shell_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Box> boxes_;
  std::vector<File> files_;
  std::vector<std::uint64_t> withdrawn_;
  std::vector<platform::ShellRequest> shell_;
  std::optional<int> box_answer_;
  platform::FileDialogAnswer file_answer_;
};

// A virtual clock per test; the test thread is a participant and the GUI thread.
class UiTest : public ::testing::Test {
 protected:
  UiTest() { platform::RegisterGuiThread(); }

  RecordingBackend& Backend() { return *backend_; }

 private:
  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  ParticipantScope participant_;
  std::unique_ptr<RecordingBackend> owned_backend_ = std::make_unique<RecordingBackend>();
  RecordingBackend* backend_ = owned_backend_.get();
  platform::ScopedUiBackend installed_{std::move(owned_backend_)};
};

inline platform::ControlTemplate MakeControl(
    int id, platform::ControlKind kind, std::string text = {},
    platform::ControlStyle style = platform::ControlStyle::kNone) {
  platform::ControlTemplate control;
  control.id = id;
  control.kind = kind;
  control.text = std::move(text);
  control.style = style;
  return control;
}

inline platform::DialogTemplate MakeTemplate(
    platform::UINT id, std::vector<platform::ControlTemplate> controls,
    platform::DialogStyle style = platform::DialogStyle::kCaption |
                                  platform::DialogStyle::kSystemMenu |
                                  platform::DialogStyle::kModalFrame) {
  platform::DialogTemplate dialog;
  dialog.id = id;
  dialog.title = "Dialog " + std::to_string(id);
  dialog.font = {"Arial", 8};
  dialog.width = 200;
  dialog.height = 100;
  dialog.style = style;
  dialog.controls = std::move(controls);
  return dialog;
}

}  // namespace tessaly_test
