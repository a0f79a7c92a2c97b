#include "platform/ui/dialog_observer.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

namespace {

using ObserverList = std::vector<std::shared_ptr<DialogObserver>>;

struct ObserverRegistry {
  std::mutex mutex;
  // Replaced, never changed in place, so a notification walks a stable list without a lock.
  std::shared_ptr<const ObserverList> observers = std::make_shared<const ObserverList>();
};

ObserverRegistry& Registry() {
  static ObserverRegistry registry;
  return registry;
}

}  // namespace

void AddDialogObserver(std::shared_ptr<DialogObserver> observer) {
  ObserverRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  auto updated = std::make_shared<ObserverList>(*registry.observers);
  updated->push_back(std::move(observer));
  registry.observers = std::move(updated);
}

void RemoveDialogObserver(const DialogObserver* observer) {
  ObserverRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  auto updated = std::make_shared<ObserverList>(*registry.observers);
  std::erase_if(*updated, [&](const auto& entry) { return entry.get() == observer; });
  registry.observers = std::move(updated);
}

namespace detail {

std::shared_ptr<const ObserverList> CurrentDialogObservers() {
  ObserverRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  return registry.observers;
}

}  // namespace detail

}  // namespace platform
