#include "platform/ui/headless/window_stack.h"

#include <algorithm>

namespace platform {

WindowStack::WindowStack(std::function<void()> on_change) : on_change_(std::move(on_change)) {}

void WindowStack::Push(StackWindow window) {
  {
    const std::lock_guard lock(mutex_);
    windows_.push_back(std::move(window));
  }
  on_change_();
}

std::optional<StackWindow> WindowStack::Take(WindowKind kind, std::uint64_t key) {
  std::optional<StackWindow> taken;
  {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(
        windows_.begin(), windows_.end(),
        [&](const StackWindow& window) { return window.kind == kind && window.key == key; });
    if (found == windows_.end()) {
      return std::nullopt;
    }
    taken = std::move(*found);
    windows_.erase(found);
  }
  on_change_();
  return taken;
}

std::optional<StackWindow> WindowStack::Topmost() const {
  const std::lock_guard lock(mutex_);
  if (windows_.empty()) {
    return std::nullopt;
  }
  return windows_.back();
}

std::optional<StackWindow> WindowStack::NewestWaiting() const { return NewestOfEach().waiting; }

WindowStack::Newest WindowStack::NewestOfEach() const {
  const std::lock_guard lock(mutex_);
  Newest newest;
  for (auto window = windows_.rbegin(); window != windows_.rend(); ++window) {
    auto& slot = window->kind == WindowKind::kDialog ? newest.dialog : newest.waiting;
    if (!slot) {
      slot = *window;
    }
  }
  return newest;
}

std::uint64_t WindowStack::KeyOf(HWND hwnd) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(hwnd));
}

}  // namespace platform
