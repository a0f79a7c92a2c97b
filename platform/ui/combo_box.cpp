#include "platform/ui/combo_box.h"

namespace platform {

int ComboBox::AddString(std::string_view text) { return InsertString(-1, text); }

int ComboBox::InsertString(int index, std::string_view text) {
  if (index == -1) {
    index = GetCount();
  }
  if (index < 0 || index > GetCount()) {
    return CB_ERR;
  }
  items_.insert(items_.begin() + index, std::string(text));
  if (selection_ >= index) {
    ++selection_;
  }
  Changed(ControlChange::kItems);
  return index;
}

void ComboBox::ResetContent() {
  items_.clear();
  selection_ = CB_ERR;
  Changed(ControlChange::kItems);
}

int ComboBox::SetCurSel(int index) {
  const int previous = selection_;
  selection_ = IsIndex(index) ? index : CB_ERR;
  if (selection_ != previous) {
    Changed(ControlChange::kSelection);
  }
  return selection_;
}

int ComboBox::GetLBText(int index, std::string& text) const {
  if (!IsIndex(index)) {
    return CB_ERR;
  }
  text = items_[index];
  return static_cast<int>(text.size());
}

int ComboBox::FindStringExact(int start, std::string_view text) const {
  for (int index = start + 1; index < GetCount(); ++index) {
    if (items_[index] == text) {
      return index;
    }
  }
  return CB_ERR;
}

BOOL ComboBox::ShowDropDown(BOOL show) {
  const bool shown = show != FALSE;
  if (dropped_ != shown) {
    dropped_ = shown;
    Changed(ControlChange::kDropDown);
  }
  return TRUE;
}

std::string ComboBox::GetWindowText() const {
  return IsIndex(selection_) ? items_[selection_] : std::string();
}

void ComboBox::ChooseItem(int index) {
  SetCurSel(index);
  ShowDropDown(FALSE);
  Host().OnControlNotify(*this, CBN_SELCHANGE);
}

}  // namespace platform
