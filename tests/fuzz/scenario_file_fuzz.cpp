// The simulated console's scenario file: any text is a scenario or a ScenarioError.

#include "outside/console_sim/scenario_file.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    outside::console_sim::ParseScenario(fuzz::AsText(data, size));
  } catch (const outside::console_sim::ScenarioError&) {
    // A refusal is an answer.
  }
  return 0;
}
