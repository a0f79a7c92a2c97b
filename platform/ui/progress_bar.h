#pragma once

// A progress bar: a range and a position inside it.

#include "platform/ui/control.h"

namespace platform {

class ProgressBar final : public Control {
 public:
  using Control::Control;

  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  int GetRangeLower() const { return lower_; }
  int GetRangeUpper() const { return upper_; }
  // Kept inside the range; returns the previous position.
  int SetPos(int position);
  int GetPos() const { return position_; }

 private:
  static constexpr int kDefaultUpper = 100;

  int lower_ = 0;
  int upper_ = kDefaultUpper;
  int position_ = 0;
};

}  // namespace platform
