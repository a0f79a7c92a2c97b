#include "platform/ui/message_box.h"

#include <cerrno>
#include <mutex>

#include "platform/thread/message_loop.h"
#include "platform/ui/dialog_windows.h"
#include "platform/ui/modal_answer.h"
#include "platform/ui/thread_role.h"
#include "platform/ui/ui_backend.h"

namespace platform {

namespace {

struct ApplicationTitle {
  std::mutex mutex;
  std::string title = program_invocation_short_name;
};

ApplicationTitle& Title() {
  static ApplicationTitle title;
  return title;
}

}  // namespace

int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
  MessageBoxRequest request;
  request.id = NextUiRequestId();
  request.owner = owner;
  request.owner_template = DialogTemplateOf(owner);
  request.text = std::string(text);
  request.caption = std::string(caption);
  request.flags = flags;
  request.thread = CurrentThreadRole();
  request.thread_id = GetCurrentThreadId();

  ModalAnswer<int> answer;
  GetUiBackend().OpenMessageBox(request, answer.Completer());
  return answer.Wait(request.id).value_or(0);
}

int AfxMessageBox(std::string_view text, UINT flags) {
  return MessageBox(ActiveDialogOfThread(GetCurrentThreadId()), text, GetApplicationTitle(), flags);
}

void SetApplicationTitle(std::string_view title) {
  ApplicationTitle& application = Title();
  const std::lock_guard lock(application.mutex);
  application.title = std::string(title);
}

std::string GetApplicationTitle() {
  ApplicationTitle& application = Title();
  const std::lock_guard lock(application.mutex);
  return application.title;
}

}  // namespace platform
