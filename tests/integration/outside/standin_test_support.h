#pragma once

// What the stand-in contract tests share: a virtual clock, COM on the test thread, a simulated
// bus, a sink that records every event with the thread it ran on, and a way to let the test
// thread's loop run for a stretch of program time.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "outside/console_sim/console.h"
#include "outside/console_sim/process_bus.h"
#include "outside/console_sim/scenario.h"
#include "outside/usb/bus.h"
#include "platform/clock/clock.h"
#include "platform/com/com_object.h"
#include "platform/com/com_runtime.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/thread/message_loop.h"

namespace standin_test {

using namespace platform;
namespace sim = outside::console_sim;
namespace usb = outside::usb;

inline constexpr std::uint16_t kEnableUsb = 0xD0AA;
inline constexpr std::uint16_t kResetCommand = 0xD0AB;
inline constexpr std::uint16_t kGetDspVersion = 0xD002;
inline constexpr char kForeignIdentity[] = "USB Keyboard";

inline sim::DeviceScenario ConsoleDevice() { return sim::DeviceScenario{}; }
inline sim::DeviceScenario ForeignDevice() {
  sim::DeviceScenario device;
  device.string2 = kForeignIdentity;
  return device;
}

struct ReceivedEvent {
  DISPID id = 0;
  DWORD thread_id = 0;
  std::vector<_variant_t> args;  // copies; by-reference arguments are read while recorded
  // An interface argument, kept without a reference: a sink that held its source would keep
  // it alive through the source's own connection.
  IUnknown* object = nullptr;
};

// Records every event that reaches it. `EventInterface` is the interface it is advised for.
template <class EventInterface>
class RecordingSink final : public ComObject<EventInterface> {
 public:
  HRESULT Invoke(DISPID id, WORD /*flags*/, const DISPPARAMS& params,
                 VARIANT* /*result*/) override {
    ReceivedEvent event{id, GetCurrentThreadId(), {}};
    for (const _variant_t& argument : params.args) {
      if (argument.vt == VT_UNKNOWN) {
        event.object = argument.punkVal;
        event.args.emplace_back();
      } else {
        event.args.push_back(Dereferenced(argument));
      }
    }
    received.push_back(std::move(event));
    return S_OK;
  }

  std::vector<ReceivedEvent> received;

 private:
  static _variant_t Dereferenced(const VARIANT& argument) {
    if (argument.vt == (VT_BYREF | VT_BSTR)) return _variant_t(_bstr_t(*argument.pbstrVal));
    if (argument.vt == (VT_BYREF | VT_I4)) return _variant_t(*argument.plVal);
    return _variant_t(argument);
  }
};

// Advises `sink` on the event point `events` of `source`; the cookie, 0 on failure.
inline DWORD Advise(IUnknown& source, const IID& events, IUnknown& sink) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  if (SUCCEEDED(ComPtr<IUnknown>(&source).As(container)) &&
      SUCCEEDED(container->FindConnectionPoint(events, point.ReleaseAndGetAddressOf()))) {
    point->Advise(&sink, &cookie);
  }
  return cookie;
}

inline HRESULT Unadvise(IUnknown& source, const IID& events, DWORD cookie) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  HRESULT hr = ComPtr<IUnknown>(&source).As(container);
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(events, point.ReleaseAndGetAddressOf());
  return SUCCEEDED(hr) ? point->Unadvise(cookie) : hr;
}

// Runs the test thread's loop for `duration_ms` of program time: everything queued or due
// meanwhile runs. The virtual clock makes this instant.
inline void RunFor(Millis duration_ms) {
  bool done = false;
  PostClosure(
      GetCurrentThreadId(), [&done] { done = true; }, duration_ms);
  RunModalLoop([&done] { return done; });
}

// A long stretch after which every reply the tests ask for has come.
inline constexpr Millis kSettle = 10'000;

// Virtual clock, COM on the test thread and a bus made of `devices`.
class StandinTest : public ::testing::Test {
 protected:
  StandinTest() { CoInitialize(); }
  ~StandinTest() override { CoUninitialize(); }

  void MakeBus(std::vector<sim::DeviceScenario> devices) {
    sim::Scenario scenario;
    scenario.devices = std::move(devices);
    bus_ = sim::BuildBus(scenario);
  }
  sim::Console& ConsoleAt(std::size_t index) const {
    return dynamic_cast<sim::Console&>(*bus_->At(index));
  }

  ScopedClock clock_{std::make_unique<VirtualClock>()};
  std::shared_ptr<usb::Bus> bus_;
};

}  // namespace standin_test
