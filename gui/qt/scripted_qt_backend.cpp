#include "gui/qt/scripted_qt_backend.h"

#include <atomic>
#include <utility>

namespace gui {

namespace {

// The view and the script may both answer a box; the program takes the first answer only.
template <class Answer>
std::function<void(Answer)> FirstAnswerOnly(std::function<void(Answer)> answer) {
  auto given = std::make_shared<std::atomic<bool>>(false);
  return [given, answer = std::move(answer)](Answer value) {
    if (!given->exchange(true)) {
      answer(std::move(value));
    }
  };
}

}  // namespace

ScriptedQtBackend::ScriptedQtBackend(std::unique_ptr<QtBackend> view,
                                     std::unique_ptr<platform::HeadlessBackend> script)
    : view_(std::move(view)), script_(std::move(script)) {}

ScriptedQtBackend::~ScriptedQtBackend() = default;

// The view is asked first: the box must be on its way to the screen before the script can press
// one of its buttons.
void ScriptedQtBackend::OpenMessageBox(const platform::MessageBoxRequest& request,
                                       std::function<void(int)> answer) {
  const auto once = FirstAnswerOnly(std::move(answer));
  view_->OpenMessageBox(request, [script = script_.get(), id = request.id, once](int given) {
    script->Withdraw(id);
    once(given);
  });
  script_->OpenMessageBox(request, [view = view_.get(), id = request.id, once](int given) {
    if (!view->PressBoxButton(id, given)) {
      once(given);
    }
  });
}

void ScriptedQtBackend::OpenFileDialog(const platform::FileDialogRequest& request,
                                       std::function<void(platform::FileDialogAnswer)> answer) {
  const auto once = FirstAnswerOnly(std::move(answer));
  view_->OpenFileDialog(
      request, [script = script_.get(), id = request.id, once](platform::FileDialogAnswer given) {
        script->Withdraw(id);
        once(std::move(given));
      });
  // The script's path goes to the program as written; a Qt file dialog would resolve it
  // against its own folder.
  script_->OpenFileDialog(
      request, [view = view_.get(), id = request.id, once](platform::FileDialogAnswer given) {
        once(std::move(given));
        view->Withdraw(id);
      });
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
