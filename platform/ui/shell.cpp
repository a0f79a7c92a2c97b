#include "platform/ui/shell.h"

#include "platform/ui/ui_backend.h"

namespace platform {

std::intptr_t ShellExecute(HWND owner, std::string_view verb, std::string_view file,
                           std::string_view parameters, std::string_view directory,
                           int show_command) {
  ShellRequest request;
  request.owner = owner;
  request.verb = std::string(verb);
  request.file = std::string(file);
  request.parameters = std::string(parameters);
  request.directory = std::string(directory);
  request.show_command = show_command;
  return GetUiBackend().ShellExecute(request);
}

}  // namespace platform
