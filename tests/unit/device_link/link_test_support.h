#pragma once

// What the device-link tests share: a UI backend that records every box and answers OK, a run
// of the test body as a platform thread (so it has a queue and takes part in the clock), a
// stand-in for the main window, and a message pump with a time limit in program time.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/win_thread.h"
#include "platform/thread/window.h"
#include "platform/ui/ui_backend.h"
#include "platform/ui/ui_constants.h"

namespace link_test {

struct ShownBox {
  std::string caption;
  std::string text;
  platform::UINT flags = 0;
  platform::HWND owner = nullptr;
  platform::DWORD thread_id = 0;
};

// Answers every box at once with OK.
class BoxRecorder final : public platform::UiBackend {
 public:
  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override {
    {
      const std::lock_guard lock(mutex_);
      boxes_.push_back(
          ShownBox{request.caption, request.text, request.flags, request.owner, request.thread_id});
    }
    answer(platform::IDOK);
  }
  void OpenFileDialog(const platform::FileDialogRequest& /*request*/,
                      std::function<void(platform::FileDialogAnswer)> answer) override {
    answer(std::nullopt);
  }
  void Withdraw(std::uint64_t /*request_id*/) override {}
  std::intptr_t ShellExecute(const platform::ShellRequest& /*request*/) override { return 0; }
  void ReportExit(int /*exit_code*/) override {}

  std::vector<ShownBox> Boxes() const {
    const std::lock_guard lock(mutex_);
    return boxes_;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : Boxes()) {
      texts.push_back(box.text);
    }
    return texts;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
};

// Installs a BoxRecorder for its lifetime.
class ScopedBoxRecorder {
 public:
  ScopedBoxRecorder() {
    auto recorder = std::make_unique<BoxRecorder>();
    recorder_ = recorder.get();
    scope_ = std::make_unique<platform::ScopedUiBackend>(std::move(recorder));
  }
  BoxRecorder& operator*() const { return *recorder_; }
  BoxRecorder* operator->() const { return recorder_; }

 private:
  BoxRecorder* recorder_ = nullptr;
  std::unique_ptr<platform::ScopedUiBackend> scope_;
};

// Runs a body on the calling thread as a platform thread; its main window is `main_window`.
class BodyThread final : public platform::WinThread {
 public:
  BodyThread(std::function<void()> body, platform::HWND main_window) : body_(std::move(body)) {
    m_bAutoDelete = platform::FALSE;
    m_pMainWnd = main_window;
  }
  platform::BOOL InitInstance() override {
    body_();
    return platform::FALSE;
  }

 private:
  std::function<void()> body_;
};

inline void RunAsPlatformThread(std::function<void()> body, platform::HWND main_window = nullptr) {
  BodyThread thread(std::move(body), main_window);
  thread.RunOnCurrentThread();
}

// Handles the calling thread's messages until `done` holds; false when `limit_ms` of program
// time passed first.
inline bool PumpUntil(const std::function<bool()>& done, platform::Millis limit_ms = 600000) {
  auto timed_out = std::make_shared<bool>(false);
  platform::PostClosure(
      platform::GetCurrentThreadId(), [timed_out] { *timed_out = true; }, limit_ms);
  platform::RunModalLoop([&] { return done() || *timed_out; });
  return done();
}

// Lets the calling thread handle its messages for `duration_ms` of program time.
inline void PumpFor(platform::Millis duration_ms) {
  PumpUntil([] { return false; }, duration_ms);
}

struct Received {
  platform::UINT message = 0;
  platform::WPARAM wParam = 0;
  platform::LPARAM lParam = 0;

  friend bool operator==(const Received&, const Received&) = default;
};

// Plays the main window: records the messages it gets and forwards read-complete to the
// worker thread, as the main window does while a command is pending.
class MainWindowStub final : public platform::Window {
 public:
  MainWindowStub() { CreateHandle(); }

  platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                               platform::LPARAM lParam) override {
    const Received entry{message, wParam, lParam};
    received.push_back(entry);
    if (message == WM_UPG_READ_COMPLETE && forward_reads_to != 0) {
      platform::PostThreadMessage(forward_reads_to, message, 0, 0);
    }
    if (on_message) {
      on_message(entry);
    }
    return 0;
  }

  std::vector<Received> Of(platform::UINT message) const {
    std::vector<Received> found;
    for (const Received& entry : received) {
      if (entry.message == message) {
        found.push_back(entry);
      }
    }
    return found;
  }
  std::size_t Count(platform::UINT message) const { return Of(message).size(); }

  std::vector<Received> received;
  platform::DWORD forward_reads_to = 0;
  std::function<void(const Received&)> on_message;
};

}  // namespace link_test
