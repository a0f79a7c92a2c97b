#include "outside/usbio_server/usbio_device_ptr.h"

#include "platform/com/com_error.h"
#include "platform/com/com_runtime.h"

namespace outside::usbio_server {

namespace {

HRESULT Checked(HRESULT hr) { return platform::ThrowIfFailed(hr, IUSBIOComDevice::kIid); }

}  // namespace

HRESULT IUSBIOComDevicePtr::CreateInstance(platform::DWORD class_context) {
  IUSBIOComDevice* created = nullptr;
  const HRESULT hr = platform::CoCreateInstance(CLSID_USBIOCOM, nullptr, class_context, &created);
  device_.Attach(created);
  return hr;
}

IUSBIOComDevice& IUSBIOComDevicePtr::Device() const {
  if (!device_) throw platform::_com_error(platform::E_POINTER, IUSBIOComDevice::kIid);
  return *device_;
}

HRESULT IUSBIOComDevicePtr::Enumerate(BSTR device_interface_guid, LONG* device_count) const {
  return Checked(Device().Enumerate(device_interface_guid, device_count));
}

HRESULT IUSBIOComDevicePtr::Open(LONG device_index, LONG* status) const {
  return Checked(Device().Open(device_index, status));
}

HRESULT IUSBIOComDevicePtr::Close() const { return Checked(Device().Close()); }

HRESULT IUSBIOComDevicePtr::GetStringDescriptor(SAFEARRAY** descriptor, LONG* size, LONG index,
                                                LONG language_id, LONG* status) const {
  return Checked(Device().GetStringDescriptor(descriptor, size, index, language_id, status));
}

HRESULT IUSBIOComDevicePtr::SetInterfaceParameters(LONG interface_number, LONG alternate_setting,
                                                   LONG max_transfer_size, LONG* status) const {
  return Checked(Device().SetInterfaceParameters(interface_number, alternate_setting,
                                                 max_transfer_size, status));
}

HRESULT IUSBIOComDevicePtr::ClearInterfaceParameters() const {
  return Checked(Device().ClearInterfaceParameters());
}

HRESULT IUSBIOComDevicePtr::SelectConfiguration(LONG configuration, LONG* status) const {
  return Checked(Device().SelectConfiguration(configuration, status));
}

HRESULT IUSBIOComDevicePtr::UnbindPipe(LONG* status) const {
  return Checked(Device().UnbindPipe(status));
}

HRESULT IUSBIOComDevicePtr::Unconfigure(LONG* status) const {
  return Checked(Device().Unconfigure(status));
}

HRESULT IUSBIOComDevicePtr::ResetDevice(LONG* status) const {
  return Checked(Device().ResetDevice(status));
}

HRESULT IUSBIOComDevicePtr::Bind(LONG endpoint_address, LONG* status) const {
  return Checked(Device().Bind(endpoint_address, status));
}

HRESULT IUSBIOComDevicePtr::StartReading(LONG report_size, LONG buffer_count, LONG error_limit,
                                         LONG* status) const {
  return Checked(Device().StartReading(report_size, buffer_count, error_limit, status));
}

HRESULT IUSBIOComDevicePtr::Read(SAFEARRAY** buffer, LONG size, LONG* status) const {
  return Checked(Device().Read(buffer, size, status));
}

HRESULT IUSBIOComDevicePtr::StopReading() const { return Checked(Device().StopReading()); }

HRESULT IUSBIOComDevicePtr::StartWriting(LONG report_size, LONG buffer_count, LONG error_limit,
                                         LONG flags, LONG* status) const {
  return Checked(Device().StartWriting(report_size, buffer_count, error_limit, flags, status));
}

HRESULT IUSBIOComDevicePtr::Write(SAFEARRAY* buffer, LONG flags, LONG* status) const {
  return Checked(Device().Write(buffer, flags, status));
}

HRESULT IUSBIOComDevicePtr::StopWriting() const { return Checked(Device().StopWriting()); }

HRESULT IUSBIOComDevicePtr::ResetPipe(LONG* status) const {
  return Checked(Device().ResetPipe(status));
}

HRESULT IUSBIOComDevicePtr::RequestNotifications(BSTR device_interface_guid,
                                                 LONG* registration) const {
  return Checked(Device().RequestNotifications(device_interface_guid, registration));
}

}  // namespace outside::usbio_server
