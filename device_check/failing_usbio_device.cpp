#include "device_check/failing_usbio_device.h"

#include <utility>

#include "outside/usbio_server/usbio_instance.h"
#include "platform/com/com_object.h"

namespace virelo {

namespace {

using outside::usbio_server::BSTR;
using outside::usbio_server::IUSBIOComDevice;
using platform::HRESULT;
using platform::LONG;
using platform::SAFEARRAY;

class FailingUsbioDevice final : public platform::ComObject<IUSBIOComDevice> {
 public:
  FailingUsbioDevice(platform::ComPtr<IUSBIOComDevice> server, UsbioOperation failing)
      : server_(std::move(server)), failing_(failing) {}

  HRESULT Enumerate(BSTR device_interface_guid, LONG* device_count) override {
    return Fails(UsbioOperation::kEnumerate)
               ? platform::E_FAIL
               : server_->Enumerate(device_interface_guid, device_count);
  }
  HRESULT Open(LONG device_index, LONG* status) override {
    return Fails(UsbioOperation::kOpen) ? platform::E_FAIL : server_->Open(device_index, status);
  }
  HRESULT Close() override {
    return Fails(UsbioOperation::kClose) ? platform::E_FAIL : server_->Close();
  }
  HRESULT GetStringDescriptor(SAFEARRAY** descriptor, LONG* size, LONG index, LONG language_id,
                              LONG* status) override {
    return Fails(UsbioOperation::kReadDescriptor)
               ? platform::E_FAIL
               : server_->GetStringDescriptor(descriptor, size, index, language_id, status);
  }

  HRESULT SetInterfaceParameters(LONG interface_number, LONG alternate_setting,
                                 LONG max_transfer_size, LONG* status) override {
    return server_->SetInterfaceParameters(interface_number, alternate_setting, max_transfer_size,
                                           status);
  }
  HRESULT ClearInterfaceParameters() override { return server_->ClearInterfaceParameters(); }
  HRESULT SelectConfiguration(LONG configuration, LONG* status) override {
    return server_->SelectConfiguration(configuration, status);
  }
  HRESULT UnbindPipe(LONG* status) override { return server_->UnbindPipe(status); }
  HRESULT Unconfigure(LONG* status) override { return server_->Unconfigure(status); }
  HRESULT ResetDevice(LONG* status) override { return server_->ResetDevice(status); }
  HRESULT Bind(LONG endpoint_address, LONG* status) override {
    return server_->Bind(endpoint_address, status);
  }
  HRESULT StartReading(LONG report_size, LONG buffer_count, LONG error_limit,
                       LONG* status) override {
    return server_->StartReading(report_size, buffer_count, error_limit, status);
  }
  HRESULT Read(SAFEARRAY** buffer, LONG size, LONG* status) override {
    return server_->Read(buffer, size, status);
  }
  HRESULT StopReading() override { return server_->StopReading(); }
  HRESULT StartWriting(LONG report_size, LONG buffer_count, LONG error_limit, LONG flags,
                       LONG* status) override {
    return server_->StartWriting(report_size, buffer_count, error_limit, flags, status);
  }
  HRESULT Write(SAFEARRAY* buffer, LONG flags, LONG* status) override {
    return server_->Write(buffer, flags, status);
  }
  HRESULT StopWriting() override { return server_->StopWriting(); }
  HRESULT ResetPipe(LONG* status) override { return server_->ResetPipe(status); }
  HRESULT RequestNotifications(BSTR device_interface_guid, LONG* registration) override {
    return server_->RequestNotifications(device_interface_guid, registration);
  }

 private:
  ~FailingUsbioDevice() override = default;

  bool Fails(UsbioOperation operation) const { return operation == failing_; }

  const platform::ComPtr<IUSBIOComDevice> server_;
  const UsbioOperation failing_;
};

}  // namespace

platform::ComPtr<platform::IUnknown> MakeFailingUsbioDevice(std::shared_ptr<outside::usb::Bus> bus,
                                                            UsbioOperation failing) {
  const auto server = platform::MakeComObject<outside::usbio_server::UsbioInstance>(std::move(bus));
  const auto device = platform::MakeComObject<FailingUsbioDevice>(
      platform::ComPtr<IUSBIOComDevice>(server), failing);
  return platform::ComPtr<platform::IUnknown>(device->GetUnknown());
}

}  // namespace virelo
