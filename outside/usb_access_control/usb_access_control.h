#pragma once

// The USB access control: a dispatch object that opens one device of a usb::Bus, binds its
// command and file pipe pairs, writes and reads reports on the command pair, and tells its
// host of completions, arrivals and removals by one text event on the creating thread.

#include <atomic>
#include <memory>
#include <string>

#include "outside/usb/bus.h"
#include "outside/usb/device.h"
#include "outside/usb/subscription.h"
#include "outside/usb_access_control/usb_access_interfaces.h"
#include "platform/clock/clock.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/variant.h"

namespace outside::usb_access_control {

class UsbAccessControl final
    : public platform::ComObject<platform::IDispatch, platform::IConnectionPointContainer> {
 public:
  explicit UsbAccessControl(std::shared_ptr<usb::Bus> bus);

  platform::HRESULT Invoke(platform::DISPID id, platform::WORD flags,
                           const platform::DISPPARAMS& params, platform::VARIANT* result) override;
  platform::HRESULT FindConnectionPoint(const platform::IID& iid,
                                        platform::IConnectionPoint** point) override;

 private:
  struct PipePair {
    usb::Endpoint in = 0;
    usb::Endpoint out = 0;
    bool bound = false;
  };

  ~UsbAccessControl() override;

  void AddProperties();
  void AddMethods();
  platform::HRESULT PutEndpoint(const platform::DispatchCall& call, usb::Endpoint& endpoint,
                                bool in);

  platform::SHORT Open(platform::LONG& device_number);
  platform::LONG FindConsole(platform::LONG count);
  bool CanOpen(usb::Device& device) const;
  platform::SHORT Configure();
  platform::SHORT BindPair(PipePair& pair);
  platform::SHORT Write(platform::SAFEARRAY* report);
  platform::LONG Read(platform::SAFEARRAY*& report, platform::VARIANT_BOOL& taken);
  bool Reset();
  void ReleaseDevice();
  // The ends of a bound pair, as the report listener looks at them.
  void Listen();

  void OnReportReady(usb::Endpoint in, platform::Millis delay_ms);
  void OnArrival(const usb::Device& device);
  void OnRemoval(const usb::Device& device);
  // Read and write completions and write errors are raised only while the host wants them.
  void RaiseTransferEvent(const char* text, platform::Millis delay_ms = 0);
  // Queues the event to the creating thread when a sink is connected now.
  void RaiseEvent(std::string text, platform::LONG value, platform::Millis delay_ms = 0);

  const std::shared_ptr<usb::Bus> bus_;
  std::shared_ptr<usb::Device> device_;
  PipePair command_;
  PipePair file_;
  // What the device and bus listeners look at, from whatever thread they are told on.
  std::atomic<bool> events_enabled_ = false;
  std::atomic<int> command_in_ = -1;
  std::atomic<int> file_in_ = -1;
  std::atomic<const usb::Device*> watched_device_ = nullptr;
  std::atomic<platform::LONG> device_number_ = -1;
  usb::Subscription report_ready_;
  usb::Subscription arrivals_;
  usb::Subscription removals_;
  platform::DispatchTable table_;
  platform::ConnectionPoint events_{*this, DIID__DUSBAccessEvents};
};

}  // namespace outside::usb_access_control
