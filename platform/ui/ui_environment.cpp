#include "platform/ui/ui_environment.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/ui/headless/headless_backend.h"
#include "platform/ui/thread_role.h"

namespace platform {

namespace {

constexpr std::string_view kHeadless = "headless";
constexpr std::string_view kQt = "qt";

struct FactoryRegistry {
  std::mutex mutex;
  std::map<std::string, UiBackendFactory, std::less<>> factories{
      {std::string(kHeadless), HeadlessBackend::FromEnvironment}};
};

FactoryRegistry& Registry() {
  static FactoryRegistry registry;
  return registry;
}

bool HasEnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

UiBackendFactory FindFactory(std::string_view name) {
  FactoryRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const auto found = registry.factories.find(name);
  return found == registry.factories.end() ? nullptr : found->second;
}

std::string DefaultBackendName() {
  const bool display = HasEnvironmentValue("DISPLAY") || HasEnvironmentValue("WAYLAND_DISPLAY");
  return std::string(display && FindFactory(kQt) ? kQt : kHeadless);
}

}  // namespace

void RegisterUiBackendFactory(std::string_view name, UiBackendFactory factory) {
  FactoryRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  registry.factories.insert_or_assign(std::string(name), std::move(factory));
}

bool InstallUiFromEnvironment(std::string& error) {
  RegisterGuiThread();
  const std::string name =
      HasEnvironmentValue("TESSALY_UI") ? std::getenv("TESSALY_UI") : DefaultBackendName();
  const UiBackendFactory factory = FindFactory(name);
  if (!factory) {
    error = "TESSALY_UI=" + name +
            (name == kQt ? ": this program was built without the Qt view"
                         : ": unknown user interface (use qt or headless)");
    return false;
  }
  std::unique_ptr<UiBackend> backend = factory(error);
  if (!backend) {
    return false;
  }
  InstallUiBackend(std::move(backend));
  return true;
}

}  // namespace platform
