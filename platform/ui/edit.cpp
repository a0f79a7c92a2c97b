#include "platform/ui/edit.h"

#include <algorithm>

namespace platform {

void Edit::SetWindowText(std::string_view text) {
  Control::SetWindowText(text);
  selection_start_ = 0;
  selection_end_ = 0;
  SetFirstVisibleLine(0);
}

void Edit::SetSel(int start, int end) {
  const int length = static_cast<int>(GetWindowText().size());
  if (start == -1) {
    start = selection_end_;
    end = selection_end_;
  }
  if (end == -1) {
    end = length;
  }
  start = std::clamp(start, 0, length);
  end = std::clamp(end, 0, length);
  selection_start_ = std::min(start, end);
  selection_end_ = std::max(start, end);
  Changed(ControlChange::kEditSelection);
}

void Edit::GetSel(int& start, int& end) const {
  start = selection_start_;
  end = selection_end_;
}

void Edit::ReplaceSel(std::string_view text) {
  std::string content = GetWindowText();
  content.replace(static_cast<std::size_t>(selection_start_),
                  static_cast<std::size_t>(selection_end_ - selection_start_), text);
  SetTextSilently(std::move(content));
  selection_start_ += static_cast<int>(text.size());
  selection_end_ = selection_start_;
  Changed(ControlChange::kText);
}

int Edit::GetLineCount() const {
  const std::string content = GetWindowText();
  return 1 + static_cast<int>(std::count(content.begin(), content.end(), '\n'));
}

void Edit::LineScroll(int lines) { SetFirstVisibleLine(first_visible_line_ + lines); }

void Edit::ScrollToBottom() { SetFirstVisibleLine(GetLineCount() - 1); }

void Edit::SetFirstVisibleLine(int line) {
  const int clamped = std::clamp(line, 0, GetLineCount() - 1);
  if (clamped != first_visible_line_) {
    first_visible_line_ = clamped;
    Changed(ControlChange::kScroll);
  }
}

}  // namespace platform
