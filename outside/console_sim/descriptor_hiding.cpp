#include "outside/console_sim/descriptor_hiding.h"

#include <utility>

namespace outside::console_sim {

DescriptorHiding::DescriptorHiding(std::vector<HideRule> rules)
    : rules_(std::move(rules)), windows_(rules_.size()) {}

void DescriptorHiding::OnUsbReset() {
  OpenWhere([](const HideRule& rule) { return !rule.after_command; });
}

void DescriptorHiding::OnAnswered(std::uint16_t command) {
  OpenWhere([command](const HideRule& rule) { return rule.after_command == command; });
}

bool DescriptorHiding::TakeRead() {
  bool hidden = false;
  for (Window& window : windows_) {
    if (window.skip_left > 0) {
      --window.skip_left;
    } else if (window.hide_left > 0) {
      --window.hide_left;
      hidden = true;
    }
  }
  return hidden;
}

void DescriptorHiding::OpenWhere(const std::function<bool(const HideRule&)>& triggered) {
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    if (triggered(rules_[i])) windows_[i] = Window{rules_[i].skip, rules_[i].times};
  }
}

}  // namespace outside::console_sim
