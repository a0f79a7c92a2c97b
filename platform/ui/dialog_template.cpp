#include "platform/ui/dialog_template.h"

#include <map>
#include <mutex>

namespace platform {

namespace {

struct TemplateRegistry {
  std::mutex mutex;
  std::map<UINT, DialogTemplate> templates;
};

TemplateRegistry& Registry() {
  static TemplateRegistry registry;
  return registry;
}

}  // namespace

void RegisterDialogTemplate(DialogTemplate dialog_template) {
  TemplateRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const UINT id = dialog_template.id;
  registry.templates.insert_or_assign(id, std::move(dialog_template));
}

std::optional<DialogTemplate> FindDialogTemplate(UINT id) {
  TemplateRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const auto found = registry.templates.find(id);
  if (found == registry.templates.end()) {
    return std::nullopt;
  }
  return found->second;
}

}  // namespace platform
