#pragma once

// A drop-down list: items in insertion order, one selected item or none.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/control.h"

namespace platform {

class ComboBox final : public Control {
 public:
  using Control::Control;

  // Both return the new item's index.
  int AddString(std::string_view text);
  // -1 appends; an index past the end gives CB_ERR.
  int InsertString(int index, std::string_view text);
  void ResetContent();
  int GetCount() const { return static_cast<int>(items_.size()); }
  // -1 clears the selection; an index outside the list clears it too and gives CB_ERR.
  int SetCurSel(int index);
  int GetCurSel() const { return selection_; }
  // The item's length, or CB_ERR (and `text` untouched) for an index outside the list.
  int GetLBText(int index, std::string& text) const;
  // The index of the first item equal to `text` after `start` (-1: from the beginning), or
  // CB_ERR.
  int FindStringExact(int start, std::string_view text) const;
  BOOL ShowDropDown(BOOL show = TRUE);
  BOOL GetDroppedState() const { return dropped_ ? TRUE : FALSE; }
  const std::vector<std::string>& Items() const { return items_; }
  // The selected item's text, as the list shows it.
  std::string GetWindowText() const override;
  // The user picks an item: it is selected and the dialog gets CBN_SELCHANGE.
  void ChooseItem(int index);

 private:
  bool IsIndex(int index) const { return index >= 0 && index < GetCount(); }

  std::vector<std::string> items_;
  int selection_ = CB_ERR;
  bool dropped_ = false;
};

}  // namespace platform
