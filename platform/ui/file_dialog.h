#pragma once

// The file-open dialog (the framework's file dialog class). Modal on the calling thread like a
// message box.

#include <string>
#include <string_view>

#include "platform/ui/ui_constants.h"
#include "platform/win_types.h"

namespace platform {

class FileDialog {
 public:
  // `filter` in the form "name|pattern|name|pattern||".
  explicit FileDialog(BOOL open_file_dialog, std::string_view default_extension = {},
                      std::string_view file_name = {},
                      DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                      std::string_view filter = {}, HWND parent = nullptr);

  // IDOK with a chosen path, or IDCANCEL.
  INT_PTR DoModal();
  // The full path chosen; empty before DoModal and after a cancel.
  std::string GetPathName() const { return path_; }
  // The part after the last "/" or "\".
  std::string GetFileName() const;

 private:
  bool open_;
  std::string default_extension_;
  std::string file_name_;
  DWORD flags_;
  std::string filter_;
  HWND parent_;
  std::string path_;
};

}  // namespace platform
