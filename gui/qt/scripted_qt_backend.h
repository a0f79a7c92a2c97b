#pragma once

// The Qt view driven by the automation script (TESSALY_UI=qt with TESSALY_SCRIPT): the windows
// are drawn and kept painted as for a person, while the script's driver acts on the dialog model
// and writes the transcript as in a headless run. Message boxes and file dialogs appear as Qt
// dialogs; when the script answers one, the program gets the script's answer and the Qt dialog
// goes. One that a person answers first is taken from the script's sight.

#include <cstdint>
#include <functional>
#include <memory>

#include "gui/qt/qt_backend.h"
#include "platform/ui/headless/headless_backend.h"
#include "platform/ui/ui_backend.h"

namespace gui {

class ScriptedQtBackend final : public platform::UiBackend {
 public:
  ScriptedQtBackend(std::unique_ptr<QtBackend> view,
                    std::unique_ptr<platform::HeadlessBackend> script);
  ~ScriptedQtBackend() override;

  void OpenMessageBox(const platform::MessageBoxRequest& request,
                      std::function<void(int)> answer) override;
  void OpenFileDialog(const platform::FileDialogRequest& request,
                      std::function<void(platform::FileDialogAnswer)> answer) override;
  void Withdraw(std::uint64_t request_id) override;
  // Written to the transcript and not carried out, as in a headless run: a scripted run never
  // starts programs of the desktop.
  std::intptr_t ShellExecute(const platform::ShellRequest& request) override;
  void ReportExit(int exit_code) override;

 private:
  std::unique_ptr<QtBackend> view_;
  // Declared after the view, so the script's driver has stopped before the windows go.
  std::unique_ptr<platform::HeadlessBackend> script_;
};

}  // namespace gui
