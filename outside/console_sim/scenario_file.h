#pragma once

// Reading a scenario from its JSON form (the format is described in docs/scenario.md).

#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "outside/console_sim/scenario.h"

namespace outside::console_sim {

// Says what is wrong and where ("devices[1].faults[0].kind: ...").
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Scenario ParseScenario(std::string_view json_text);
// Errors name the file.
Scenario LoadScenario(const std::filesystem::path& path);

}  // namespace outside::console_sim
