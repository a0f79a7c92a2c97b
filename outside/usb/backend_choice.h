#pragma once

// Which USB backend the process uses, as HALCYRA_USB names it: "sim" (one simulated console with
// its default values) or "sim:<scenario file>". Unset or empty means "sim".

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace outside::usb {

inline constexpr const char* kBackendVariable = "HALCYRA_USB";

class BackendError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BackendChoice {
  // Only the simulated bus exists; a scenario file describes its devices.
  std::optional<std::filesystem::path> scenario;
};

// Throws BackendError naming the variable and the accepted forms.
BackendChoice ParseBackendChoice(std::string_view text);
BackendChoice BackendChoiceFromEnvironment();

}  // namespace outside::usb
