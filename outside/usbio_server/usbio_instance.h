#pragma once

// One instance of the USBIO server: it opens one device of a usb::Bus at a time, binds one pipe
// of it, streams reports through that pipe, and raises its events on the creating thread.

#include <atomic>
#include <memory>
#include <optional>

#include "outside/usb/bus.h"
#include "outside/usb/device.h"
#include "outside/usb/subscription.h"
#include "outside/usbio_server/usbio_interfaces.h"
#include "platform/clock/clock.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"

namespace outside::usbio_server {

class UsbioInstance final
    : public platform::ComObject<IUSBIOComDevice, platform::IConnectionPointContainer> {
 public:
  explicit UsbioInstance(std::shared_ptr<usb::Bus> bus);

  HRESULT Enumerate(BSTR device_interface_guid, LONG* device_count) override;
  HRESULT Open(LONG device_index, LONG* status) override;
  HRESULT Close() override;
  HRESULT GetStringDescriptor(SAFEARRAY** descriptor, LONG* size, LONG index, LONG language_id,
                              LONG* status) override;
  HRESULT SetInterfaceParameters(LONG interface_number, LONG alternate_setting,
                                 LONG max_transfer_size, LONG* status) override;
  HRESULT ClearInterfaceParameters() override;
  HRESULT SelectConfiguration(LONG configuration, LONG* status) override;
  HRESULT UnbindPipe(LONG* status) override;
  HRESULT Unconfigure(LONG* status) override;
  HRESULT ResetDevice(LONG* status) override;
  HRESULT Bind(LONG endpoint_address, LONG* status) override;
  HRESULT StartReading(LONG report_size, LONG buffer_count, LONG error_limit,
                       LONG* status) override;
  HRESULT Read(SAFEARRAY** buffer, LONG size, LONG* status) override;
  HRESULT StopReading() override;
  HRESULT StartWriting(LONG report_size, LONG buffer_count, LONG error_limit, LONG flags,
                       LONG* status) override;
  HRESULT Write(SAFEARRAY* buffer, LONG flags, LONG* status) override;
  HRESULT StopWriting() override;
  HRESULT ResetPipe(LONG* status) override;
  HRESULT RequestNotifications(BSTR device_interface_guid, LONG* registration) override;

  HRESULT FindConnectionPoint(const platform::IID& iid,
                              platform::IConnectionPoint** point) override;

 private:
  struct Pipe {
    usb::Endpoint address = 0;
    bool streaming = false;
  };

  ~UsbioInstance() override;

  // The open device and the pipe of the given direction with its stream running, or the
  // negative result (and status) that refuses the call.
  HRESULT RequireDevice(LONG* status) const;
  HRESULT RequirePipe(bool in, LONG* status) const;
  HRESULT RequireStream(bool in, LONG* status) const;
  HRESULT StartStream(bool in, LONG report_size, LONG buffer_count, LONG error_limit, LONG* status);
  void StopStream(bool in);
  void ReleaseDevice();
  void OnReportReady(usb::Endpoint in, platform::Millis delay_ms);
  void OnDeviceRemoved(const usb::Device& device);
  // Queues event `id` to the creating thread when a sink is connected now.
  void RaiseEvent(platform::DISPID id, platform::Millis delay_ms = 0);

  const std::shared_ptr<usb::Bus> bus_;
  std::shared_ptr<usb::Device> device_;
  bool interface_parameters_set_ = false;
  std::optional<Pipe> pipe_;
  // What the device and bus listeners look at, from whatever thread they are told on.
  std::atomic<int> reading_endpoint_ = -1;
  std::atomic<const usb::Device*> watched_device_ = nullptr;
  usb::Subscription report_ready_;
  usb::Subscription arrivals_;
  usb::Subscription removals_;
  platform::ConnectionPoint events_{*this, DIID__IUSBIOInterfaceEvents3};
};

}  // namespace outside::usbio_server
