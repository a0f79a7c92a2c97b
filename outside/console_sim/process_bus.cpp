#include "outside/console_sim/process_bus.h"

#include <mutex>
#include <utility>

#include "outside/console_sim/console.h"
#include "outside/console_sim/record_file.h"
#include "outside/console_sim/scenario_file.h"

namespace outside::console_sim {

namespace {

struct ProcessBusSlot {
  std::mutex mutex;
  std::shared_ptr<usb::Bus> bus;
};

ProcessBusSlot& Slot() {
  static ProcessBusSlot slot;
  return slot;
}

std::shared_ptr<usb::Bus> Exchange(std::shared_ptr<usb::Bus> bus) {
  std::lock_guard lock(Slot().mutex);
  return std::exchange(Slot().bus, std::move(bus));
}

}  // namespace

std::shared_ptr<usb::Bus> BuildBus(const Scenario& scenario) {
  std::shared_ptr<RecordFile> record;
  if (scenario.record) record = std::make_shared<RecordFile>(*scenario.record);
  auto bus = std::make_shared<usb::Bus>();
  for (const DeviceScenario& device : scenario.devices) {
    bus->Attach(std::make_shared<Console>(device, record));
  }
  return bus;
}

std::shared_ptr<usb::Bus> BuildBus(const usb::BackendChoice& choice) {
  return BuildBus(choice.scenario ? LoadScenario(*choice.scenario) : Scenario{});
}

std::shared_ptr<usb::Bus> BuildBusFromEnvironment() {
  return BuildBus(usb::BackendChoiceFromEnvironment());
}

std::shared_ptr<usb::Bus> ProcessBus() {
  std::lock_guard lock(Slot().mutex);
  if (!Slot().bus) Slot().bus = BuildBusFromEnvironment();
  return Slot().bus;
}

ScopedProcessBus::ScopedProcessBus(std::shared_ptr<usb::Bus> bus)
    : previous_(Exchange(std::move(bus))) {}

ScopedProcessBus::~ScopedProcessBus() { Exchange(std::move(previous_)); }

}  // namespace outside::console_sim
