#pragma once

// Plays a device's hide rules: which reads of its identity descriptor come back empty, so that
// a device search steps over the device for a while (as after a re-enumeration).

#include <cstdint>
#include <functional>
#include <vector>

#include "outside/console_sim/scenario.h"

namespace outside::console_sim {

class DescriptorHiding {
 public:
  explicit DescriptorHiding(std::vector<HideRule> rules);

  // Triggers: each starts its rules' windows afresh.
  void OnUsbReset();
  void OnAnswered(std::uint16_t command);
  // One read of the identity descriptor; true when it answers empty. Every rule whose window is
  // open counts the read.
  bool TakeRead();

 private:
  struct Window {
    int skip_left = 0;
    int hide_left = 0;
  };

  void OpenWhere(const std::function<bool(const HideRule&)>& triggered);

  std::vector<HideRule> rules_;
  std::vector<Window> windows_;
};

}  // namespace outside::console_sim
