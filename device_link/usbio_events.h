#pragma once

// The event sink of one USBIO server instance: turns the server's events into messages to the
// worker's main window. The transport makes one per instance and connects it while it wants
// the events.

#include "outside/usbio_server/usbio_interfaces.h"
#include "platform/com/com_object.h"
#include "platform/com/dispatch.h"
#include "platform/win_types.h"

class CUSBIOEvents final
    : public platform::ComObject<outside::usbio_server::_IUSBIOInterfaceEvents3> {
 public:
  CUSBIOEvents();

  // A handler that raises a _com_error ends the event with that error's result.
  platform::HRESULT Invoke(platform::DISPID id, platform::WORD flags,
                           const platform::DISPPARAMS& params, platform::VARIANT* result) override;

  // Connects to the event interface of `source` and keeps the cookie; a sink that is connected
  // already is left as it is (S_FALSE).
  platform::HRESULT DispEventAdvise(platform::IUnknown* source);
  // Disconnects from `source`; S_FALSE when the sink was not connected.
  platform::HRESULT DispEventUnadvise(platform::IUnknown* source);
  bool IsConnected() const { return cookie_ != 0; }

  // Each takes the instance that raised the event.
  platform::HRESULT OnReadComplete(platform::IUnknown* device);
  platform::HRESULT OnWriteComplete(platform::IUnknown* device);
  platform::HRESULT OnIgnoredEvent(platform::IUnknown* device);
  platform::HRESULT OnDeviceArrival(platform::IUnknown* device);
  // Posts the removal, then takes the device out of its configuration through `device`
  // (a failure of that call is raised as _com_error after the message has gone).
  platform::HRESULT OnDeviceRemoval(platform::IUnknown* device);

 private:
  ~CUSBIOEvents() override = default;

  platform::DispatchTable table_;
  platform::DWORD cookie_ = 0;
};
