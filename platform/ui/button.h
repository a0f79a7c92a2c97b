#pragma once

// Push buttons, check boxes and radio buttons.

#include "platform/ui/control.h"

namespace platform {

class Button final : public Control {
 public:
  using Control::Control;

  void SetCheck(int state);
  int GetCheck() const { return check_; }
  // A click of the user: a check box toggles, a radio button checks itself and clears its
  // group; then the dialog gets BN_CLICKED.
  void Click();

 private:
  int check_ = BST_UNCHECKED;
};

}  // namespace platform
