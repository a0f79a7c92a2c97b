#pragma once

// Start-up choice of the UI backend from the environment (TESSALY_UI). Other backends (the Qt
// view) register a factory under their name before the choice is made; platform code never
// depends on them.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/ui_backend.h"

namespace platform {

// Builds a backend from the environment; null with `error` set when it cannot start.
using UiBackendFactory = std::function<std::unique_ptr<UiBackend>(std::string& error)>;

// "headless" is built in.
void RegisterUiBackendFactory(std::string_view name, UiBackendFactory factory);

// Makes the calling thread the GUI thread and installs the backend named by TESSALY_UI (default:
// "qt" when a display is available and a Qt view is registered, else "headless"). Install the
// clock first. False, with `error` set, when the backend cannot be used.
bool InstallUiFromEnvironment(std::string& error);

}  // namespace platform
