#include "gui/qt/scripted_qt_backend.h"

#include <atomic>
#include <utility>

namespace gui {

namespace {

// One request answered either on the screen or by the script. Whoever answers first takes the
// request away from the other, then gives the program the answer; the program takes the first
// answer only.
template <class Answer>
struct SharedAnswer {
  std::function<void(Answer)> from_view;
  std::function<void(Answer)> from_script;
};

template <class Answer>
SharedAnswer<Answer> ShareAnswer(std::function<void(Answer)> answer, QtBackend& view,
                                 platform::HeadlessBackend& script, std::uint64_t request_id) {
  auto given = std::make_shared<std::atomic<bool>>(false);
  auto once = [given, answer = std::move(answer)](Answer value) {
    if (!given->exchange(true)) {
      answer(std::move(value));
    }
  };
  // The script's answer goes to the program at once, as in a headless run, so the clock sees the
  // program move on before the script looks again. The window goes on the GUI thread's next turn
  // of Qt's loop: for a box of the GUI thread, before that thread takes the answer.
  return {[once, &script, request_id](Answer value) {
            script.Withdraw(request_id);
            once(std::move(value));
          },
          [once, &view, request_id](Answer value) {
            view.Withdraw(request_id);
            once(std::move(value));
          }};
}

}  // namespace

ScriptedQtBackend::ScriptedQtBackend(std::unique_ptr<QtBackend> view,
                                     std::unique_ptr<platform::HeadlessBackend> script)
    : view_(std::move(view)), script_(std::move(script)) {}

ScriptedQtBackend::~ScriptedQtBackend() = default;

// The view is asked first, so the window is on its way to the screen before the script can take
// it away.
void ScriptedQtBackend::OpenMessageBox(const platform::MessageBoxRequest& request,
                                       std::function<void(int)> answer) {
  auto shared = ShareAnswer(std::move(answer), *view_, *script_, request.id);
  view_->OpenMessageBox(request, std::move(shared.from_view));
  script_->OpenMessageBox(request, std::move(shared.from_script));
}

// The script's path goes to the program as written; a Qt file dialog would resolve it against its
// own folder.
void ScriptedQtBackend::OpenFileDialog(const platform::FileDialogRequest& request,
                                       std::function<void(platform::FileDialogAnswer)> answer) {
  auto shared = ShareAnswer(std::move(answer), *view_, *script_, request.id);
  view_->OpenFileDialog(request, std::move(shared.from_view));
  script_->OpenFileDialog(request, std::move(shared.from_script));
}

void ScriptedQtBackend::Withdraw(std::uint64_t request_id) {
  script_->Withdraw(request_id);
  view_->Withdraw(request_id);
}

std::intptr_t ScriptedQtBackend::ShellExecute(const platform::ShellRequest& request) {
  return script_->ShellExecute(request);
}

void ScriptedQtBackend::ReportExit(int exit_code) {
  script_->ReportExit(exit_code);
  view_->ReportExit(exit_code);
}

}  // namespace gui
