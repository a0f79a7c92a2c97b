#include "platform/ui/button.h"

namespace platform {

void Button::SetCheck(int state) {
  if (check_ == state) {
    return;
  }
  check_ = state;
  Changed(ControlChange::kCheck);
}

void Button::Click() {
  if (Kind() == ControlKind::kCheckBox) {
    SetCheck(GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  } else if (Kind() == ControlKind::kRadioButton) {
    SetCheck(BST_CHECKED);
    Host().OnRadioChecked(*this);
  }
  Host().OnControlNotify(*this, BN_CLICKED);
}

}  // namespace platform
