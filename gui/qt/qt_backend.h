#pragma once

// The Qt backend of the UI port: real message boxes and file dialogs, the desktop's "open", and
// the Qt view of every dialog. Requests from other threads are carried to the GUI thread; the
// requesting thread waits for the answer in its own message loop, that is through the clock.

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "gui/qt/event_loop_waiter.h"
#include "gui/qt/qt_view.h"
#include "platform/ui/ui_backend.h"

namespace gui {

class QtBackend final : public platform::UiBackend {
 public:
  // On the GUI thread. Uses the QApplication that exists, or makes one; null with `error` set
  // when there is no display to draw on.
  static std::unique_ptr<QtBackend> Create(std::string& error);
  ~QtBackend() override;

  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override;
  void OpenFileDialog(const platform::FileDialogRequest& request,
                      std::function<void(platform::FileDialogAnswer)> answer) override;
  void Withdraw(std::uint64_t request_id) override;
  std::intptr_t ShellExecute(const platform::ShellRequest& request) override;
  // The program has ended: timings are reported (when asked) and the windows go.
  void ReportExit(int exit_code) override;

  // GUI thread only (tests and screenshots).
  QtView& View() { return *view_; }

 private:
  explicit QtBackend(std::unique_ptr<QApplication> own_application);

  // Runs `task` on the GUI thread: now when called there, else queued. False when the view has
  // already ended.
  bool OnGuiThread(std::function<void()> task);
  void ShowMessageBox(const platform::MessageBoxRequest& request,
                      const std::function<void(int)>& answer);
  void ShowFileDialog(const platform::FileDialogRequest& request,
                      const std::function<void(platform::FileDialogAnswer)>& answer);
  // Shows a box or file dialog above the window of `owner` and keeps it until it is answered.
  void Present(std::uint64_t request_id, std::unique_ptr<QWidget> box, platform::HWND owner);
  // Lets go of an answered box once its own signal has returned.
  void ForgetLater(std::uint64_t request_id);
  std::intptr_t OpenWithDesktop(const std::string& file);
  void TearDown();

  const std::thread::id gui_thread_;
  std::unique_ptr<QApplication> own_application_;  // null when the QApplication was there before
  std::unique_ptr<EventLoopWaiter> waiter_;
  std::shared_ptr<QtView> view_;
  std::mutex context_mutex_;
  std::unique_ptr<QObject> context_;  // queued tasks run on its thread while it lives
  std::map<std::uint64_t, std::unique_ptr<QWidget>> open_;  // GUI thread only
};

// The factory that platform::InstallUiFromEnvironment calls for TESSALY_UI=qt: with
// TESSALY_SCRIPT set, the script drives the view (ScriptedQtBackend).
std::unique_ptr<platform::UiBackend> MakeQtBackend(std::string& error);
// Makes "qt" a choice of TESSALY_UI.
void RegisterQtUi();

}  // namespace gui
