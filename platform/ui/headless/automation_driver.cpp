#include "platform/ui/headless/automation_driver.h"

#include <iostream>
#include <mutex>
#include <string>

#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless/transcript_lines.h"
#include "platform/ui/thread_role.h"

namespace platform {

// What a command found on the dialog's thread; the effect runs there after the driver knows.
struct AutomationDriver::DialogStep {
  enum class Outcome { kDone, kIgnored, kError };

  Outcome outcome = Outcome::kDone;
  std::string message;
  std::function<void()> effect;

  static DialogStep Done(std::function<void()> effect = {}) {
    return DialogStep{Outcome::kDone, {}, std::move(effect)};
  }
  static DialogStep Ignored(std::string reason) {
    return DialogStep{Outcome::kIgnored, std::move(reason), {}};
  }
  static DialogStep Error(std::string message) {
    return DialogStep{Outcome::kError, std::move(message), {}};
  }
};

namespace {

std::string ControlName(int id) { return "control " + std::to_string(id); }

// Why a person could not use the control now, or nothing.
std::optional<std::string> Unusable(const Control& control) {
  if (control.IsWindowVisible() == FALSE) {
    return ControlName(control.GetDlgCtrlID()) + " is hidden";
  }
  if (control.IsWindowEnabled() == FALSE) {
    return ControlName(control.GetDlgCtrlID()) + " is disabled";
  }
  return std::nullopt;
}

std::string MissingControl(const Dialog& dialog, int id) {
  return "dialog " + std::to_string(dialog.GetTemplateId()) + " has no " + ControlName(id);
}

// The kind of window that `command` answers, if any.
std::optional<WindowKind> AnsweredBy(const ScriptCommand* command) {
  if (command == nullptr) {
    return std::nullopt;
  }
  switch (command->kind) {
    case CommandKind::kAnswer:
      return WindowKind::kMessageBox;
    case CommandKind::kFile:
      return WindowKind::kFileDialog;
    default:
      return std::nullopt;
  }
}

}  // namespace

AutomationDriver::AutomationDriver(std::vector<ScriptCommand> script, WindowStack& stack,
                                   std::shared_ptr<Transcript> transcript,
                                   std::shared_ptr<WaitPoint> wake, ExitFunction exit)
    : script_(std::move(script)),
      stack_(stack),
      transcript_(std::move(transcript)),
      wake_(std::move(wake)),
      exit_(std::move(exit)) {}

AutomationDriver::~AutomationDriver() { Stop(); }

void AutomationDriver::Start() {
  const std::lock_guard lock(start_mutex_);
  clock_ = ShareClock();
  clock_->Join();
  thread_ = std::thread([this] { Run(); });
}

void AutomationDriver::Stop() {
  const std::lock_guard lock(start_mutex_);
  stopping_ = true;
  if (clock_) {
    clock_->Notify(*wake_);
  }
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
    thread_.join();
  }
}

void AutomationDriver::Run() {
  Clock::AdoptParticipation();
  try {
    for (std::size_t index = 0; index < script_.size(); ++index) {
      const ScriptCommand* following = index + 1 < script_.size() ? &script_[index + 1] : nullptr;
      Execute(script_[index], AnsweredBy(following));
    }
    Settle(std::nullopt);
    transcript_->Write(kIdleLine);
    exit_(kIdleExitStatus);
  } catch (const StopRequest&) {
    // The program is exiting, or the script failed.
  }
  clock_->Leave();
}

void AutomationDriver::Execute(const ScriptCommand& command, std::optional<WindowKind> kept) {
  switch (command.kind) {
    case CommandKind::kAnswer:
      AnswerMessageBox(command);
      return;
    case CommandKind::kFile:
      AnswerFileDialog(command);
      return;
    case CommandKind::kWaitIdle:
      Settle(kept);
      return;
    case CommandKind::kWaitDialog:
      WaitForDialog(command);
      return;
    case CommandKind::kPause:
      Pause(command, kept);
      return;
    case CommandKind::kTime:
      if (command.settle) {
        Settle(kept);
      }
      transcript_->Write(FormatTimeLine(clock_->Now()));
      return;
    case CommandKind::kClick:
    case CommandKind::kSelect:
    case CommandKind::kDump:
    case CommandKind::kClose:
    case CommandKind::kSystemMenu:
      ActOnTopmostDialog(command, DialogCommandFor(command));
      return;
  }
}

void AutomationDriver::ThrowIfStopping() const {
  if (stopping_) {
    throw StopRequest{};
  }
}

bool AutomationDriver::AwaitProgram(Deadline deadline) {
  ThrowIfStopping();
  const bool notified =
      deadline ? clock_->Wait(*wake_, deadline) : clock_->WaitForQuiescence(*wake_, std::nullopt);
  ThrowIfStopping();
  if (!notified && !deadline && IsGuiThreadFinished()) {
    // The application has finished its run; its exit report ends the driver.
    while (!stopping_) {
      clock_->Wait(*wake_, std::nullopt);
    }
    throw StopRequest{};
  }
  return notified;
}

std::optional<StackWindow> AutomationDriver::Settle(std::optional<WindowKind> answered) {
  for (;;) {
    if (auto waiting = stack_.NewestWaiting()) {
      if (waiting->kind == answered) {
        return waiting;
      }
      AnswerAutomatically(*waiting);
    } else if (!AwaitProgram(std::nullopt) && !stack_.NewestWaiting()) {
      return std::nullopt;
    }
  }
}

void AutomationDriver::AnswerAutomatically(const StackWindow& window) {
  const auto taken = stack_.Take(window.kind, window.key);
  if (!taken) {
    return;
  }
  if (taken->kind == WindowKind::kMessageBox) {
    transcript_->Write(FormatBoxLine(*taken->box, IDOK, true));
    taken->answer_box(IDOK);
  } else {
    transcript_->Write(FormatFileDialogLine(*taken->file, std::nullopt, true));
    taken->answer_file(std::nullopt);
  }
}

void AutomationDriver::AnswerMessageBox(const ScriptCommand& command) {
  // The box found is the one answered, even if another opens meanwhile on another thread.
  const auto waiting = Settle(WindowKind::kMessageBox);
  if (!waiting) {
    Fail(command, "no message box is open");
  }
  const int answer = command.ok ? IDOK : IDCANCEL;
  if (answer == IDCANCEL && (waiting->box->flags & MB_TYPEMASK) != MB_OKCANCEL) {
    Fail(command, "the message box has no Cancel button");
  }
  const auto taken = stack_.Take(waiting->kind, waiting->key);
  if (!taken) {
    Fail(command, "the message box went away before its answer");
  }
  transcript_->Write(FormatBoxLine(*taken->box, answer, false));
  taken->answer_box(answer);
}

void AutomationDriver::AnswerFileDialog(const ScriptCommand& command) {
  const auto waiting = Settle(WindowKind::kFileDialog);
  if (!waiting) {
    Fail(command, "no file dialog is open");
  }
  const auto taken = stack_.Take(waiting->kind, waiting->key);
  if (!taken) {
    Fail(command, "the file dialog went away before its answer");
  }
  const FileDialogAnswer answer =
      command.ok ? FileDialogAnswer(command.text) : FileDialogAnswer(std::nullopt);
  transcript_->Write(FormatFileDialogLine(*taken->file, answer, false));
  taken->answer_file(answer);
}

void AutomationDriver::WaitForDialog(const ScriptCommand& command) {
  bool quiescent = false;
  for (;;) {
    // One look at the stack, past the boxes above the dialog: a box that the dialog opens while
    // it initialises may be there already, however soon the driver wakes.
    const auto [dialog, waiting] = stack_.NewestOfEach();
    if (dialog && dialog->template_id == static_cast<UINT>(command.number)) {
      return;
    }
    if (waiting) {
      AnswerAutomatically(*waiting);
      quiescent = false;
      continue;
    }
    if (quiescent) {
      Fail(command, "dialog " + std::to_string(command.number) +
                        " is not the topmost window and the program is idle");
    }
    quiescent = !AwaitProgram(std::nullopt);
  }
}

void AutomationDriver::Pause(const ScriptCommand& command, std::optional<WindowKind> kept) {
  const Millis until = clock_->Now() + command.number;
  do {
    for (auto waiting = stack_.NewestWaiting(); waiting && waiting->kind != kept;
         waiting = stack_.NewestWaiting()) {
      AnswerAutomatically(*waiting);
    }
  } while (AwaitProgram(until));
}

AutomationDriver::DialogCommand AutomationDriver::DialogCommandFor(
    const ScriptCommand& command) const {
  const int id = static_cast<int>(command.number);
  switch (command.kind) {
    case CommandKind::kClick:
      return [id](Dialog& dialog) {
        auto* button = dialog.GetDlgItemAs<Button>(id);
        if (button == nullptr) {
          return DialogStep::Error(dialog.GetDlgItem(id) == nullptr
                                       ? MissingControl(dialog, id)
                                       : ControlName(id) + " is not a button");
        }
        if (auto reason = Unusable(*button)) {
          return DialogStep::Ignored(std::move(*reason));
        }
        return DialogStep::Done([button] { button->Click(); });
      };
    case CommandKind::kSelect:
      return [id, item = command.text](Dialog& dialog) {
        auto* combo = dialog.GetDlgItemAs<ComboBox>(id);
        if (combo == nullptr) {
          return DialogStep::Error(dialog.GetDlgItem(id) == nullptr
                                       ? MissingControl(dialog, id)
                                       : ControlName(id) + " is not a combo box");
        }
        const int index = combo->FindStringExact(-1, item);
        if (index == CB_ERR) {
          return DialogStep::Error(ControlName(id) + " has no item \"" + item + "\"");
        }
        if (auto reason = Unusable(*combo)) {
          return DialogStep::Ignored(std::move(*reason));
        }
        return DialogStep::Done([combo, index] { combo->ChooseItem(index); });
      };
    case CommandKind::kDump:
      return [id, transcript = transcript_](Dialog& dialog) {
        if (id == 0) {
          transcript->Write(FormatWindowLine(dialog));
          return DialogStep::Done();
        }
        const Control* control = dialog.GetDlgItem(id);
        if (control == nullptr) {
          return DialogStep::Error(MissingControl(dialog, id));
        }
        transcript->Write(FormatControlLine(dialog, *control));
        return DialogStep::Done();
      };
    case CommandKind::kSystemMenu:
      return [command_id = static_cast<UINT>(command.number)](Dialog& dialog) {
        if (!dialog.CanChooseSystemCommand(command_id)) {
          return DialogStep::Ignored("the system menu offers no enabled item " +
                                     std::to_string(command_id));
        }
        return DialogStep::Done([&dialog, command_id] { dialog.ChooseSystemCommand(command_id); });
      };
    case CommandKind::kClose:
    default:
      return [](Dialog& dialog) {
        return DialogStep::Done(
            [hwnd = dialog.GetSafeHwnd()] { SendMessage(hwnd, WM_CLOSE, 0, 0); });
      };
  }
}

void AutomationDriver::ActOnTopmostDialog(const ScriptCommand& command, DialogCommand action) {
  if (command.settle) {
    Settle(std::nullopt);
  }
  const auto topmost = stack_.Topmost();
  if (!topmost || topmost->kind != WindowKind::kDialog) {
    Fail(command, "no dialog is open");
  }
  struct Report {
    std::mutex mutex;
    bool done = false;
    DialogStep step;
  };
  auto report = std::make_shared<Report>();
  const BOOL posted = PostClosure(
      topmost->thread_id, [report, wake = wake_, hwnd = topmost->hwnd, action = std::move(action)] {
        auto* dialog = dynamic_cast<Dialog*>(FromHandle(hwnd));
        DialogStep step =
            dialog != nullptr ? action(*dialog) : DialogStep::Error("the dialog has gone away");
        std::function<void()> effect = std::move(step.effect);
        {
          const std::lock_guard lock(report->mutex);
          report->step = std::move(step);
          report->done = true;
        }
        GetClock().Notify(*wake);
        if (effect) {
          effect();
        }
      });
  if (posted == FALSE) {
    Fail(command, "the dialog's thread has ended");
  }
  auto is_done = [&report] {
    const std::lock_guard lock(report->mutex);
    return report->done;
  };
  while (!is_done()) {
    if (!AwaitProgram(std::nullopt) && !is_done()) {
      Fail(command, "the dialog did not take the command");
    }
  }
  const DialogStep& step = report->step;
  if (step.outcome == DialogStep::Outcome::kError) {
    Fail(command, step.message);
  }
  if (step.outcome == DialogStep::Outcome::kIgnored) {
    transcript_->Write(FormatIgnoredLine(command.line, step.message));
  }
}

void AutomationDriver::Fail(const ScriptCommand& command, std::string_view message) {
  transcript_->Write(FormatErrorLine(command.line, message));
  std::cerr << "automation script, line " << command.line << ": " << message << '\n';
  exit_(kScriptErrorExitStatus);
  throw StopRequest{};
}

}  // namespace platform
