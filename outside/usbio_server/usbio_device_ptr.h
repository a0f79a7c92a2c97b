#pragma once

// The caller's side of IUSBIOComDevice: the same methods, but a negative COM result is raised
// as _com_error (carrying the result and the interface). Other results are handed back, so a
// caller can still look at them beside the status.

#include "outside/usbio_server/usbio_interfaces.h"
#include "platform/com/com_ptr.h"
#include "platform/com/hresult.h"

namespace outside::usbio_server {

class IUSBIOComDevicePtr {
 public:
  IUSBIOComDevicePtr() = default;
  explicit IUSBIOComDevicePtr(platform::ComPtr<IUSBIOComDevice> device)
      : device_(std::move(device)) {}

  // Creates a server instance; the COM result of the creation (not raised), the pointer stays
  // empty unless it is a success.
  HRESULT CreateInstance(platform::DWORD class_context);

  IUSBIOComDevice* Get() const { return device_.Get(); }
  explicit operator bool() const { return static_cast<bool>(device_); }
  void Reset() { device_.Reset(); }

  HRESULT Enumerate(BSTR device_interface_guid, LONG* device_count) const;
  HRESULT Open(LONG device_index, LONG* status) const;
  HRESULT Close() const;
  HRESULT GetStringDescriptor(SAFEARRAY** descriptor, LONG* size, LONG index, LONG language_id,
                              LONG* status) const;
  HRESULT SetInterfaceParameters(LONG interface_number, LONG alternate_setting,
                                 LONG max_transfer_size, LONG* status) const;
  HRESULT ClearInterfaceParameters() const;
  HRESULT SelectConfiguration(LONG configuration, LONG* status) const;
  HRESULT UnbindPipe(LONG* status) const;
  HRESULT Unconfigure(LONG* status) const;
  HRESULT ResetDevice(LONG* status) const;
  HRESULT Bind(LONG endpoint_address, LONG* status) const;
  HRESULT StartReading(LONG report_size, LONG buffer_count, LONG error_limit, LONG* status) const;
  HRESULT Read(SAFEARRAY** buffer, LONG size, LONG* status) const;
  HRESULT StopReading() const;
  HRESULT StartWriting(LONG report_size, LONG buffer_count, LONG error_limit, LONG flags,
                       LONG* status) const;
  HRESULT Write(SAFEARRAY* buffer, LONG flags, LONG* status) const;
  HRESULT StopWriting() const;
  HRESULT ResetPipe(LONG* status) const;
  HRESULT RequestNotifications(BSTR device_interface_guid, LONG* registration) const;

 private:
  // The device, or a _com_error(E_POINTER) when none is held.
  IUSBIOComDevice& Device() const;

  platform::ComPtr<IUSBIOComDevice> device_;
};

}  // namespace outside::usbio_server
