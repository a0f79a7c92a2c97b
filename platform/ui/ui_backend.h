#pragma once

// The UI port: what the program shows outside its dialogs (message boxes, the file-open dialog,
// the shell's "open") goes through one backend installed at start-up. A backend never blocks the
// caller: it shows the box and later gives the answer, from any thread; the calling thread runs
// its own messages until then (see message_box.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/thread_role.h"
#include "platform/win_types.h"

namespace platform {

struct MessageBoxRequest {
  std::uint64_t id = 0;
  HWND owner = nullptr;
  std::optional<UINT> owner_template;  // the owner's dialog template, when it is a dialog
  std::string text;
  std::string caption;
  UINT flags = 0;  // MB_* buttons and icon
  ThreadRole thread = ThreadRole::kOther;
  DWORD thread_id = 0;
};

struct FileDialogRequest {
  std::uint64_t id = 0;
  HWND owner = nullptr;
  bool open = true;    // an open dialog, not a save dialog
  std::string filter;  // "name|pattern|...||"
  std::string default_extension;
  std::string file_name;
  DWORD flags = 0;  // OFN_*
  ThreadRole thread = ThreadRole::kOther;
  DWORD thread_id = 0;
};

struct ShellRequest {
  HWND owner = nullptr;
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  int show_command = 0;
};

// What a backend's ShellExecute answers when the verb was carried out (any value above 32 is
// success).
inline constexpr std::intptr_t kShellSucceeded = 42;

// The chosen path; nothing when cancelled.
using FileDialogAnswer = std::optional<std::string>;

class UiBackend {
 public:
  UiBackend() = default;
  UiBackend(const UiBackend&) = delete;
  UiBackend& operator=(const UiBackend&) = delete;
  virtual ~UiBackend() = default;

  // Shows the box; `answer` is called once, from any thread, with IDOK or IDCANCEL.
  virtual void OpenMessageBox(const MessageBoxRequest& request,
                              std::function<void(int)> answer) = 0;
  virtual void OpenFileDialog(const FileDialogRequest& request,
                              std::function<void(FileDialogAnswer)> answer) = 0;
  // The box or file dialog of this request is no longer waited for (its thread was told to
  // quit): take it away unanswered.
  virtual void Withdraw(std::uint64_t request_id) = 0;
  // Returns a value above 32 on success, as the shell does.
  virtual std::intptr_t ShellExecute(const ShellRequest& request) = 0;
  // The program ends with this exit code.
  virtual void ReportExit(int exit_code) = 0;
};

// The installed backend; until one is installed, every box is answered with its first button at
// once and every file dialog is cancelled, each noted on standard error.
UiBackend& GetUiBackend();
// Installs the backend; only while no thread of the program uses the UI.
void InstallUiBackend(std::unique_ptr<UiBackend> backend);
// The program has ended with this code (written to the transcript by the headless backend).
void ReportExit(int exit_code);
std::uint64_t NextUiRequestId();

// Installs a backend for the lifetime of the guard (tests), then puts the previous one back.
class ScopedUiBackend {
 public:
  explicit ScopedUiBackend(std::unique_ptr<UiBackend> backend);
  ScopedUiBackend(const ScopedUiBackend&) = delete;
  ScopedUiBackend& operator=(const ScopedUiBackend&) = delete;
  ~ScopedUiBackend();

 private:
  std::unique_ptr<UiBackend> previous_;
};

}  // namespace platform
