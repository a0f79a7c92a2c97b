#include "outside/usb/backend_choice.h"

#include <cstdlib>
#include <string>

namespace outside::usb {

namespace {
constexpr std::string_view kSimulated = "sim";
constexpr std::string_view kScenarioPrefix = "sim:";
}  // namespace

BackendChoice ParseBackendChoice(std::string_view text) {
  if (text.empty() || text == kSimulated) return {};
  if (text.starts_with(kScenarioPrefix)) {
    const std::string_view file = text.substr(kScenarioPrefix.size());
    if (file.empty()) {
      throw BackendError(std::string(kBackendVariable) +
                         "=sim: names no scenario file (write sim:<scenario file>)");
    }
    return BackendChoice{std::filesystem::path(file)};
  }
  throw BackendError(std::string(kBackendVariable) + "=\"" + std::string(text) +
                     "\" is not a USB backend (use sim or sim:<scenario file>)");
}

BackendChoice BackendChoiceFromEnvironment() {
  const char* const value = std::getenv(kBackendVariable);
  return ParseBackendChoice(value == nullptr ? std::string_view() : std::string_view(value));
}

}  // namespace outside::usb
