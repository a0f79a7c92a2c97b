#pragma once

// An edit field: its text, the selection (the caret when empty) and, for a multi-line field,
// the first line shown.

#include <string_view>

#include "platform/ui/control.h"

namespace platform {

class Edit final : public Control {
 public:
  using Control::Control;

  void SetWindowText(std::string_view text) override;
  // start -1 removes the selection; end -1 means the end of the text.
  void SetSel(int start, int end);
  void GetSel(int& start, int& end) const;
  // Replaces the selection with `text`; the caret follows the new text.
  void ReplaceSel(std::string_view text);
  int GetLineCount() const;
  int GetFirstVisibleLine() const { return first_visible_line_; }
  // Moves the first visible line by `lines` (negative: up), within the text.
  void LineScroll(int lines);
  // Shows the last line.
  void ScrollToBottom();

 private:
  void SetFirstVisibleLine(int line);

  int selection_start_ = 0;
  int selection_end_ = 0;
  int first_visible_line_ = 0;
};

}  // namespace platform
