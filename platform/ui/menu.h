#pragma once

// A window's system menu: the items the program appends and the enabled or greyed state of
// each, which decides whether the user can choose it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui_constants.h"
#include "platform/win_types.h"

namespace platform {

struct MenuItem {
  UINT id = 0;  // 0 for a separator
  std::string text;
  UINT state = MF_ENABLED;  // MF_GRAYED and MF_DISABLED bits
  bool separator = false;
};

class Menu {
 public:
  // `on_change` runs after every change, so the window can tell its views.
  explicit Menu(std::function<void()> on_change);

  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, std::string_view text = {});
  // Returns the previous state (MF_ENABLED, MF_GRAYED, MF_DISABLED bits), or kNoMenuItem.
  UINT EnableMenuItem(UINT id_or_position, UINT enable);
  UINT GetMenuState(UINT id_or_position, UINT flags) const;
  int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
  const std::vector<MenuItem>& Items() const { return items_; }
  // True when the item exists and is neither greyed nor disabled.
  bool CanChoose(UINT id) const;

 private:
  std::vector<MenuItem> items_;
  std::function<void()> on_change_;
};

}  // namespace platform
