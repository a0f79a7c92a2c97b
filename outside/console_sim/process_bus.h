#pragma once

// The simulated bus of the process: built from a scenario, from the HALCYRA_USB choice, or on
// first use from the environment. The USB stand-ins take their devices from ProcessBus().

#include <memory>

#include "outside/console_sim/scenario.h"
#include "outside/usb/backend_choice.h"
#include "outside/usb/bus.h"

namespace outside::console_sim {

// One console per device of the scenario, attached in order. Throws std::runtime_error when the
// record file cannot be opened.
std::shared_ptr<usb::Bus> BuildBus(const Scenario& scenario);
// Throws usb::BackendError or ScenarioError with a message for the user.
std::shared_ptr<usb::Bus> BuildBus(const usb::BackendChoice& choice);
std::shared_ptr<usb::Bus> BuildBusFromEnvironment();

// Built from the environment on the first call (a failed build throws and is tried again on the
// next call), then the same bus for every caller.
std::shared_ptr<usb::Bus> ProcessBus();

// Makes `bus` the process bus for the guard's lifetime, then puts the previous one back.
class ScopedProcessBus {
 public:
  explicit ScopedProcessBus(std::shared_ptr<usb::Bus> bus);
  ScopedProcessBus(const ScopedProcessBus&) = delete;
  ScopedProcessBus& operator=(const ScopedProcessBus&) = delete;
  ~ScopedProcessBus();

 private:
  std::shared_ptr<usb::Bus> previous_;
};

}  // namespace outside::console_sim
