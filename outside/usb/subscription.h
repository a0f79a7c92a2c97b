#pragma once

// Listener lists whose registrations end with a scoped token. Listeners are called outside
// the list's lock, so a listener may subscribe, unsubscribe or call back into the notifier.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace outside::usb {

// Ends a registration when it goes out of scope (or on Cancel).
class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      Cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Cancel(); }

  void Cancel() {
    if (cancel_) std::exchange(cancel_, nullptr)();
  }

 private:
  std::function<void()> cancel_;
};

template <typename... Args>
class ListenerList {
 public:
  using Listener = std::function<void(Args...)>;

  [[nodiscard]] Subscription Add(Listener listener) {
    std::lock_guard lock(state_->mutex);
    const std::uint64_t id = state_->next_id++;
    state_->listeners.emplace(id, std::make_shared<Listener>(std::move(listener)));
    // The token may outlive the list; it then has nothing left to remove.
    return Subscription([weak = std::weak_ptr<State>(state_), id] {
      if (const auto state = weak.lock()) {
        std::lock_guard state_lock(state->mutex);
        state->listeners.erase(id);
      }
    });
  }

  // Calls every listener in the order of registration.
  void Notify(const Args&... args) const {
    std::vector<std::shared_ptr<Listener>> listeners;
    {
      std::lock_guard lock(state_->mutex);
      for (const auto& [id, listener] : state_->listeners) listeners.push_back(listener);
    }
    for (const auto& listener : listeners) (*listener)(args...);
  }

 private:
  struct State {
    std::mutex mutex;
    std::uint64_t next_id = 0;
    std::map<std::uint64_t, std::shared_ptr<Listener>> listeners;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace outside::usb
