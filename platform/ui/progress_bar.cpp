#include "platform/ui/progress_bar.h"

#include <algorithm>

namespace platform {

void ProgressBar::SetRange32(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  Changed(ControlChange::kRange);
  SetPos(position_);
}

void ProgressBar::GetRange(int& lower, int& upper) const {
  lower = lower_;
  upper = upper_;
}

int ProgressBar::SetPos(int position) {
  const int previous = position_;
  position_ = std::clamp(position, std::min(lower_, upper_), std::max(lower_, upper_));
  if (position_ != previous) {
    Changed(ControlChange::kPosition);
  }
  return previous;
}

}  // namespace platform
