#include "gui/qt/qt_backend.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>
#include <QUrl>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "gui/qt/file_filter.h"
#include "gui/qt/qt_font.h"
#include "gui/qt/scripted_qt_backend.h"
#include "gui/qt/view_timing.h"
#include "platform/sys/path_mapping.h"
#include "platform/ui/headless/transcript_lines.h"
#include "platform/ui/ui_environment.h"

namespace gui {

namespace {

// What the shell answers when the file is missing or nothing can open it.
constexpr std::intptr_t kShellFileNotFound = 2;
constexpr std::intptr_t kShellNoAssociation = 31;

bool HasEnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool DisplayAvailable() {
  return HasEnvironmentValue("QT_QPA_PLATFORM") || HasEnvironmentValue("DISPLAY") ||
         HasEnvironmentValue("WAYLAND_DISPLAY");
}

QApplication* MakeApplicationArguments(std::unique_ptr<QApplication>& made) {
  // QApplication keeps references to these for its whole life.
  static int argc = 1;
  static char name[] = "tessaly";
  static char* argv[] = {name, nullptr};
  made = std::make_unique<QApplication>(argc, argv);
  return made.get();
}

QMessageBox::Icon IconOf(platform::UINT flags) {
  switch (flags & platform::MB_ICONMASK) {
    case platform::MB_ICONHAND:
    case platform::MB_ICONSTOP:
      return QMessageBox::Critical;
    case platform::MB_ICONQUESTION:
      return QMessageBox::Question;
    case platform::MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case platform::MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsOf(platform::UINT flags) {
  if ((flags & platform::MB_TYPEMASK) == platform::MB_OKCANCEL) {
    return QMessageBox::Ok | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

std::unique_ptr<QtBackend> QtBackend::Create(std::string& error) {
  std::unique_ptr<QApplication> own_application;
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) {
    if (!DisplayAvailable()) {
      error =
          "TESSALY_UI=qt: no display (DISPLAY and WAYLAND_DISPLAY are not set); run under "
          "xvfb-run or use TESSALY_UI=headless";
      return nullptr;
    }
    application = MakeApplicationArguments(own_application);
  } else if (qobject_cast<QApplication*>(application) == nullptr) {
    error = "TESSALY_UI=qt: the running Qt application has no widgets";
    return nullptr;
  }
  if (application->thread() != QThread::currentThread()) {
    error = "TESSALY_UI=qt: the view must start on the thread that runs Qt";
    return nullptr;
  }
  return std::unique_ptr<QtBackend>(new QtBackend(std::move(own_application)));
}

QtBackend::QtBackend(std::unique_ptr<QApplication> own_application)
    : gui_thread_(std::this_thread::get_id()),
      own_application_(std::move(own_application)),
      waiter_(std::make_unique<EventLoopWaiter>()),
      view_(std::make_shared<QtView>()),
      context_(std::make_unique<QObject>()) {
  InstallFontSubstitutions();
  platform::AddDialogObserver(view_);
}

QtBackend::~QtBackend() {
  if (std::this_thread::get_id() == gui_thread_) {
    TearDown();
  }
}

bool QtBackend::OnGuiThread(std::function<void()> task) {
  if (std::this_thread::get_id() == gui_thread_) {
    // The view ends on this thread only, so no lock is needed to know it is still there.
    if (!context_) {
      return false;
    }
    task();
    return true;
  }
  const std::lock_guard lock(context_mutex_);
  if (!context_) {
    return false;
  }
  QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
  return true;
}

void QtBackend::OpenMessageBox(const platform::MessageBoxRequest& request,
                               std::function<void(int)> answer) {
  if (!OnGuiThread([this, request, answer] { ShowMessageBox(request, answer); })) {
    // The windows are gone (the program is ending): nobody can answer but the first button.
    std::cerr << platform::FormatBoxLine(request, platform::IDOK, true) << '\n';
    answer(platform::IDOK);
  }
}

void QtBackend::OpenFileDialog(const platform::FileDialogRequest& request,
                               std::function<void(platform::FileDialogAnswer)> answer) {
  if (!OnGuiThread([this, request, answer] { ShowFileDialog(request, answer); })) {
    std::cerr << platform::FormatFileDialogLine(request, std::nullopt, true) << '\n';
    answer(std::nullopt);
  }
}

void QtBackend::ShowMessageBox(const platform::MessageBoxRequest& request,
                               const std::function<void(int)>& answer) {
  auto box = std::make_unique<QMessageBox>(IconOf(request.flags), ToQString(request.caption),
                                           ToQString(request.text).remove(QLatin1Char('\r')),
                                           ButtonsOf(request.flags));
  box->setTextFormat(Qt::PlainText);
  QMessageBox* const shown = box.get();
  QObject::connect(shown, &QDialog::finished, shown, [this, shown, answer, id = request.id] {
    // Esc and the close box count as the box's escape button: OK alone, else Cancel.
    const bool cancelled = shown->clickedButton() != nullptr &&
                           shown->clickedButton() == shown->button(QMessageBox::Cancel);
    answer(cancelled ? platform::IDCANCEL : platform::IDOK);
    ForgetLater(id);
  });
  Present(request.id, std::move(box), request.owner);
}

void QtBackend::ShowFileDialog(const platform::FileDialogRequest& request,
                               const std::function<void(platform::FileDialogAnswer)>& answer) {
  auto dialog = std::make_unique<QFileDialog>();
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setWindowTitle(request.open ? QStringLiteral("Open") : QStringLiteral("Save As"));
  dialog->setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog->setFileMode(request.open && (request.flags & platform::OFN_FILEMUSTEXIST) != 0
                          ? QFileDialog::ExistingFile
                          : QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite,
                    (request.flags & platform::OFN_OVERWRITEPROMPT) == 0);
  if (const QStringList filters = ToNameFilters(request.filter); !filters.isEmpty()) {
    dialog->setNameFilters(filters);
  }
  if (!request.default_extension.empty()) {
    dialog->setDefaultSuffix(ToQString(request.default_extension));
  }
  if (!request.file_name.empty()) {
    dialog->selectFile(ToQString(request.file_name));
  }
  QFileDialog* const shown = dialog.get();
  QObject::connect(shown, &QDialog::finished, shown,
                   [this, shown, answer, id = request.id](int result) {
                     const QStringList chosen = shown->selectedFiles();
                     if (result == QDialog::Accepted && !chosen.isEmpty()) {
                       answer(chosen.first().toStdString());
                     } else {
                       answer(std::nullopt);
                     }
                     ForgetLater(id);
                   });
  Present(request.id, std::move(dialog), request.owner);
}

void QtBackend::Present(std::uint64_t request_id, std::unique_ptr<QWidget> box,
                        platform::HWND owner) {
  // Modal for the whole program, as the program's own boxes are, but without a nested loop:
  // the asking thread waits in its own message loop.
  box->setWindowModality(Qt::ApplicationModal);
  if (DialogView* over = view_->WindowFor(owner)) {
    // Not a child widget, so the box's life stays ours; the window system still keeps it above
    // its owner.
    box->winId();
    if (box->windowHandle() != nullptr && over->windowHandle() != nullptr) {
      box->windowHandle()->setTransientParent(over->windowHandle());
    }
    box->adjustSize();
    box->move(over->frameGeometry().center() - box->rect().center());
  }
  QWidget* const shown = box.get();
  open_[request_id] = std::move(box);
  shown->show();
}

void QtBackend::ForgetLater(std::uint64_t request_id) {
  QMetaObject::invokeMethod(
      context_.get(), [this, request_id] { open_.erase(request_id); }, Qt::QueuedConnection);
}

void QtBackend::Withdraw(std::uint64_t request_id) {
  OnGuiThread([this, request_id] {
    const auto found = open_.find(request_id);
    if (found != open_.end()) {
      found->second->blockSignals(true);
      open_.erase(found);
    }
  });
}

std::intptr_t QtBackend::ShellExecute(const platform::ShellRequest& request) {
  if (!request.verb.empty() && request.verb != "open") {
    return kShellNoAssociation;
  }
  return OpenWithDesktop(request.file);
}

std::intptr_t QtBackend::OpenWithDesktop(const std::string& file) {
  QUrl url;
  if (file.find("://") != std::string::npos) {
    url = QUrl(ToQString(file));
  } else {
    const std::filesystem::path host_path = platform::MapPath(file);
    std::error_code error;
    if (!std::filesystem::exists(host_path, error)) {
      return kShellFileNotFound;
    }
    url = QUrl::fromLocalFile(QString::fromStdString(host_path.string()));
  }
  if (std::this_thread::get_id() != gui_thread_) {
    return OnGuiThread([url] { QDesktopServices::openUrl(url); }) ? platform::kShellSucceeded
                                                                  : kShellNoAssociation;
  }
  return QDesktopServices::openUrl(url) ? platform::kShellSucceeded : kShellNoAssociation;
}

void QtBackend::ReportExit(int /*exit_code*/) {
  if (std::this_thread::get_id() != gui_thread_) {
    return;
  }
  if (waiter_) {
    ReportEventLoopTiming(*waiter_);
  }
  TearDown();
}

void QtBackend::TearDown() {
  if (!waiter_) {
    return;
  }
  platform::RemoveDialogObserver(view_.get());
  view_->RemoveWindows();
  // Boxes still open are withdrawn unanswered: their threads are being told to end.
  for (const auto& [request_id, box] : open_) {
    box->blockSignals(true);
  }
  open_.clear();
  {
    const std::lock_guard lock(context_mutex_);
    context_.reset();
  }
  waiter_.reset();
  own_application_.reset();
}

std::unique_ptr<platform::UiBackend> MakeQtBackend(std::string& error) {
  std::unique_ptr<QtBackend> view = QtBackend::Create(error);
  if (!view || !HasEnvironmentValue("TESSALY_SCRIPT")) {
    return view;
  }
  std::unique_ptr<platform::HeadlessBackend> script =
      platform::HeadlessBackend::FromEnvironment(error);
  if (!script) {
    return nullptr;
  }
  return std::make_unique<ScriptedQtBackend>(std::move(view), std::move(script));
}

void RegisterQtUi() { platform::RegisterUiBackendFactory("qt", MakeQtBackend); }

}  // namespace gui
