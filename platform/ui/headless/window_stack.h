#pragma once

// The windows on screen in the order they opened, across all threads: dialogs, message boxes
// and file dialogs. The newest is the topmost; a box or file dialog carries the function that
// answers it.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui/ui_backend.h"
#include "platform/win_types.h"

namespace platform {

enum class WindowKind { kDialog, kMessageBox, kFileDialog };

struct StackWindow {
  WindowKind kind = WindowKind::kDialog;
  std::uint64_t key = 0;  // a dialog's handle value, or the request id of a box or file dialog
  HWND hwnd = nullptr;    // dialogs
  UINT template_id = 0;   // dialogs
  DWORD thread_id = 0;
  std::shared_ptr<const MessageBoxRequest> box;
  std::function<void(int)> answer_box;
  std::shared_ptr<const FileDialogRequest> file;
  std::function<void(FileDialogAnswer)> answer_file;
};

class WindowStack {
 public:
  // `on_change` runs after every push and removal (any thread).
  explicit WindowStack(std::function<void()> on_change);

  void Push(StackWindow window);
  // Takes the window out; nothing when it was not there (any more).
  std::optional<StackWindow> Take(WindowKind kind, std::uint64_t key);
  std::optional<StackWindow> Topmost() const;
  // The newest box or file dialog, which waits for an answer.
  std::optional<StackWindow> NewestWaiting() const;

  struct Newest {
    std::optional<StackWindow> dialog;
    std::optional<StackWindow> waiting;  // as NewestWaiting
  };
  // The newest dialog and the newest waiting window, both as they were at one moment.
  Newest NewestOfEach() const;

  static std::uint64_t KeyOf(HWND hwnd);

 private:
  mutable std::mutex mutex_;
  std::vector<StackWindow> windows_;  // oldest first
  std::function<void()> on_change_;
};

}  // namespace platform
