#include "platform/ui/file_dialog.h"

#include "platform/thread/message_loop.h"
#include "platform/ui/dialog_windows.h"
#include "platform/ui/modal_answer.h"
#include "platform/ui/ui_backend.h"

namespace platform {

FileDialog::FileDialog(BOOL open_file_dialog, std::string_view default_extension,
                       std::string_view file_name, DWORD flags, std::string_view filter,
                       HWND parent)
    : open_(open_file_dialog != FALSE),
      default_extension_(default_extension),
      file_name_(file_name),
      flags_(flags),
      filter_(filter),
      parent_(parent) {}

INT_PTR FileDialog::DoModal() {
  FileDialogRequest request;
  request.id = NextUiRequestId();
  request.owner = parent_ != nullptr ? parent_ : ActiveDialogOfThread(GetCurrentThreadId());
  request.open = open_;
  request.filter = filter_;
  request.default_extension = default_extension_;
  request.file_name = file_name_;
  request.flags = flags_;
  request.thread = CurrentThreadRole();
  request.thread_id = GetCurrentThreadId();

  ModalAnswer<FileDialogAnswer> answer;
  GetUiBackend().OpenFileDialog(request, answer.Completer());
  const std::optional<FileDialogAnswer> result = answer.Wait(request.id);
  if (!result || !*result) {
    path_.clear();
    return IDCANCEL;
  }
  path_ = **result;
  return IDOK;
}

std::string FileDialog::GetFileName() const {
  const std::size_t separator = path_.find_last_of("/\\");
  return separator == std::string::npos ? path_ : path_.substr(separator + 1);
}

}  // namespace platform
