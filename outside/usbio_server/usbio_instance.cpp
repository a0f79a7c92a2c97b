#include "outside/usbio_server/usbio_instance.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <string>
#include <utility>

#include "outside/usb/report.h"
#include "outside/usb/string_descriptor.h"
#include "outside/usbio_server/open_devices.h"
#include "outside/usbio_server/usbio_status.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"
#include "platform/thread/message_loop.h"

namespace outside::usbio_server {

namespace {

using platform::BYTE;
using platform::E_INVALIDARG;
using platform::E_POINTER;
using platform::FAILED;
using platform::S_OK;

constexpr LONG kReportSize = static_cast<LONG>(usb::kReportSize);
constexpr LONG kLargestDescriptorIndex = 0xFF;
constexpr LONG kLargestEndpointAddress = 0xFF;

HRESULT Done(LONG* status, LONG value) {
  *status = value;
  return S_OK;
}

HRESULT Refuse(LONG* status, LONG value, HRESULT hr) {
  *status = value;
  return hr;
}

bool IsDeviceClass(BSTR device_interface_guid) {
  const std::string text =
      platform::Utf16ToUtf8({device_interface_guid, platform::SysStringLen(device_interface_guid)});
  const std::string_view wanted = kDeviceInterfaceClass;
  return std::equal(text.begin(), text.end(), wanted.begin(), wanted.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

// The elements of a one-dimensional byte array; nothing for any other array.
std::optional<std::span<BYTE>> BytesOf(SAFEARRAY* array) {
  if (array == nullptr || array->element_type != platform::VT_UI1) return std::nullopt;
  return std::span<BYTE>(array->data);
}

bool FitsStream(LONG report_size, LONG buffer_count, LONG error_limit) {
  return report_size == kReportSize && buffer_count >= 1 && error_limit >= 0;
}

std::atomic<LONG> g_next_registration = 1;

}  // namespace

UsbioInstance::UsbioInstance(std::shared_ptr<usb::Bus> bus) : bus_(std::move(bus)) {}

UsbioInstance::~UsbioInstance() {
  arrivals_.Cancel();
  removals_.Cancel();
  ReleaseDevice();
}

HRESULT UsbioInstance::Enumerate(BSTR device_interface_guid, LONG* device_count) {
  if (device_count == nullptr) return E_POINTER;
  *device_count = IsDeviceClass(device_interface_guid) ? static_cast<LONG>(bus_->Count()) : 0;
  return S_OK;
}

HRESULT UsbioInstance::Open(LONG device_index, LONG* status) {
  if (status == nullptr) return E_POINTER;
  ReleaseDevice();
  const std::shared_ptr<usb::Device> device =
      device_index >= 0 ? bus_->At(static_cast<std::size_t>(device_index)) : nullptr;
  if (!device) return Done(status, kStatusNoSuchDevice);
  if (!device->Open()) return Done(status, kStatusOpenRefused);
  const bool shared = ProcessOpenDevices().Add(*device);
  device_ = device;
  watched_device_ = device.get();
  report_ready_ = device->SubscribeReportReady(
      [this](usb::Endpoint in, platform::Millis delay_ms) { OnReportReady(in, delay_ms); });
  return Done(status, shared ? kStatusOpenShared : kStatusSuccess);
}

HRESULT UsbioInstance::Close() {
  ReleaseDevice();
  return S_OK;
}

HRESULT UsbioInstance::GetStringDescriptor(SAFEARRAY** descriptor, LONG* size, LONG index,
                                           LONG /*language_id*/, LONG* status) {
  if (descriptor == nullptr || size == nullptr || status == nullptr) return E_POINTER;
  const std::optional<std::span<BYTE>> bytes = BytesOf(*descriptor);
  if (!bytes || index < 0 || index > kLargestDescriptorIndex) {
    return Refuse(status, kStatusInvalidParameter, E_INVALIDARG);
  }
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  const std::optional<std::string> text =
      device_->StringDescriptor(static_cast<std::uint8_t>(index));
  if (!text) {
    *size = 0;
    return Done(status, kStatusNoSuchDescriptor);
  }
  const std::vector<std::uint8_t> wire = usb::EncodeStringDescriptor(*text);
  const std::size_t copied =
      std::min({wire.size(), bytes->size(), static_cast<std::size_t>(std::max<LONG>(*size, 0))});
  std::fill(std::copy_n(wire.begin(), copied, bytes->begin()), bytes->end(), BYTE{0});
  *size = static_cast<LONG>(copied);
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::SetInterfaceParameters(LONG interface_number, LONG alternate_setting,
                                              LONG max_transfer_size, LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  // The devices have one interface without alternate settings.
  if (interface_number != 0 || alternate_setting != 0 || max_transfer_size < kReportSize) {
    return Refuse(status, kStatusInvalidParameter, E_INVALIDARG);
  }
  interface_parameters_set_ = true;
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::ClearInterfaceParameters() {
  interface_parameters_set_ = false;
  return S_OK;
}

HRESULT UsbioInstance::SelectConfiguration(LONG configuration, LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  if (!interface_parameters_set_) {
    return Refuse(status, kStatusNoInterfaceParameters, USBIO_E_NOT_PREPARED);
  }
  if (device_->Configuration() == configuration) {
    return Done(status, kStatusConfigurationAlreadySet);
  }
  if (!device_->SelectConfiguration(configuration)) {
    return Refuse(status, kStatusDeviceRefused, USBIO_E_DEVICE_REFUSED);
  }
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::UnbindPipe(LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (!pipe_) return Done(status, kStatusNoPipe);
  StopStream(true);
  StopStream(false);
  pipe_.reset();
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::Unconfigure(LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (!device_) return Done(status, kStatusNotOpen);
  interface_parameters_set_ = false;
  if (bus_->Contains(*device_)) device_->SelectConfiguration(0);
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::ResetDevice(LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  device_->Reset();
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::Bind(LONG endpoint_address, LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  if (pipe_) return Done(status, kStatusPipeAlreadyBound);
  if (endpoint_address < 0 || endpoint_address > kLargestEndpointAddress ||
      !device_->HasEndpoint(static_cast<usb::Endpoint>(endpoint_address))) {
    return Refuse(status, kStatusNoSuchEndpoint, E_INVALIDARG);
  }
  pipe_ = Pipe{static_cast<usb::Endpoint>(endpoint_address)};
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::StartReading(LONG report_size, LONG buffer_count, LONG error_limit,
                                    LONG* status) {
  return StartStream(true, report_size, buffer_count, error_limit, status);
}

HRESULT UsbioInstance::Read(SAFEARRAY** buffer, LONG size, LONG* status) {
  if (buffer == nullptr || status == nullptr) return E_POINTER;
  const bool usable =
      *buffer == nullptr || BytesOf(*buffer).value_or(std::span<BYTE>{}).size() >= usb::kReportSize;
  if (size != kReportSize || !usable) return Refuse(status, kStatusInvalidParameter, E_INVALIDARG);
  if (const HRESULT hr = RequireStream(true, status); FAILED(hr)) return hr;
  const std::optional<usb::Report> report = device_->Read(pipe_->address);
  if (!report) return Done(status, kStatusNoReport);
  if (*buffer == nullptr) {
    *buffer = platform::SafeArrayCreateVector(platform::VT_UI1, 0, usb::kReportSize);
  }
  std::copy(report->begin(), report->end(), BytesOf(*buffer)->begin());
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::StopReading() {
  StopStream(true);
  return S_OK;
}

HRESULT UsbioInstance::StartWriting(LONG report_size, LONG buffer_count, LONG error_limit,
                                    LONG flags, LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (flags != 0) return Refuse(status, kStatusInvalidParameter, E_INVALIDARG);
  return StartStream(false, report_size, buffer_count, error_limit, status);
}

HRESULT UsbioInstance::Write(SAFEARRAY* buffer, LONG flags, LONG* status) {
  if (status == nullptr) return E_POINTER;
  const std::optional<std::span<BYTE>> bytes = BytesOf(buffer);
  if (flags != 0 || !bytes || bytes->empty() || bytes->size() > usb::kReportSize) {
    return Refuse(status, kStatusInvalidParameter, E_INVALIDARG);
  }
  if (const HRESULT hr = RequireStream(false, status); FAILED(hr)) return hr;
  // The device tells of its answer inside Write when it has one at once.
  const auto answer_endpoint = static_cast<usb::Endpoint>(pipe_->address | 0x80U);
  bool answered = false;
  const usb::Subscription answer = device_->SubscribeReportReady(
      [&answered, answer_endpoint](usb::Endpoint in, platform::Millis delay_ms) {
        answered = answered || (in == answer_endpoint && delay_ms == 0);
      });
  if (!device_->Write(pipe_->address, *bytes)) {
    return Refuse(status, kStatusDeviceRefused, USBIO_E_DEVICE_REFUSED);
  }
  RaiseEvent(kEventWriteComplete);
  return Done(status, answered ? kStatusWriteAnswered : kStatusSuccess);
}

HRESULT UsbioInstance::StopWriting() {
  StopStream(false);
  return S_OK;
}

HRESULT UsbioInstance::ResetPipe(LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  if (!pipe_) return Refuse(status, kStatusNoPipe, USBIO_E_NO_PIPE);
  if (usb::IsInEndpoint(pipe_->address)) {
    while (device_->Read(pipe_->address)) {
    }
  }
  return Done(status, kStatusSuccess);
}

HRESULT UsbioInstance::RequestNotifications(BSTR device_interface_guid, LONG* registration) {
  if (registration == nullptr) return E_POINTER;
  if (!IsDeviceClass(device_interface_guid)) return E_INVALIDARG;
  arrivals_ = bus_->SubscribeArrival(
      [this](const std::shared_ptr<usb::Device>&) { RaiseEvent(kEventDeviceArrival); });
  removals_ = bus_->SubscribeRemoval(
      [this](const std::shared_ptr<usb::Device>& device) { OnDeviceRemoved(*device); });
  *registration = g_next_registration++;
  return S_OK;
}

HRESULT UsbioInstance::FindConnectionPoint(const platform::IID& iid,
                                           platform::IConnectionPoint** point) {
  platform::ConnectionPoint* const points[] = {&events_};
  return platform::FindConnectionPointIn(points, iid, point);
}

HRESULT UsbioInstance::RequireDevice(LONG* status) const {
  return device_ ? S_OK : Refuse(status, kStatusNotOpen, USBIO_E_NOT_OPEN);
}

HRESULT UsbioInstance::RequirePipe(bool in, LONG* status) const {
  if (const HRESULT hr = RequireDevice(status); FAILED(hr)) return hr;
  if (!pipe_ || usb::IsInEndpoint(pipe_->address) != in) {
    return Refuse(status, kStatusNoPipe, USBIO_E_NO_PIPE);
  }
  return S_OK;
}

HRESULT UsbioInstance::RequireStream(bool in, LONG* status) const {
  if (const HRESULT hr = RequirePipe(in, status); FAILED(hr)) return hr;
  return pipe_->streaming ? S_OK : Refuse(status, kStatusStreamNotStarted, USBIO_E_NOT_STARTED);
}

HRESULT UsbioInstance::StartStream(bool in, LONG report_size, LONG buffer_count, LONG error_limit,
                                   LONG* status) {
  if (status == nullptr) return E_POINTER;
  if (!FitsStream(report_size, buffer_count, error_limit)) {
    return Refuse(status, kStatusInvalidParameter, E_INVALIDARG);
  }
  if (const HRESULT hr = RequirePipe(in, status); FAILED(hr)) return hr;
  pipe_->streaming = true;
  if (in) reading_endpoint_ = pipe_->address;
  return Done(status, kStatusSuccess);
}

void UsbioInstance::StopStream(bool in) {
  if (!pipe_ || !pipe_->streaming || usb::IsInEndpoint(pipe_->address) != in) return;
  pipe_->streaming = false;
  if (in) {
    reading_endpoint_ = -1;
  } else {
    device_->EndWrite(pipe_->address);
  }
}

void UsbioInstance::ReleaseDevice() {
  if (!device_) return;
  StopStream(true);
  StopStream(false);
  pipe_.reset();
  interface_parameters_set_ = false;
  report_ready_.Cancel();
  watched_device_ = nullptr;
  if (ProcessOpenDevices().Remove(*device_)) device_->Close();
  device_.reset();
}

void UsbioInstance::OnReportReady(usb::Endpoint in, platform::Millis delay_ms) {
  if (static_cast<int>(in) == reading_endpoint_.load()) RaiseEvent(kEventReadComplete, delay_ms);
}

void UsbioInstance::OnDeviceRemoved(const usb::Device& device) {
  if (&device == watched_device_.load()) RaiseEvent(kEventDeviceRemoval);
}

void UsbioInstance::RaiseEvent(platform::DISPID id, platform::Millis delay_ms) {
  // An event that finds no sink connected is gone; a sink connected later does not get it.
  if (events_.SinkCount() == 0) return;
  platform::PostClosure(
      CreatorThreadId(),
      [self = platform::ComPtr<UsbioInstance>(this), id] {
        platform::DISPPARAMS params;
        params.args.emplace_back(self->GetUnknown());
        self->events_.Fire(id, params);
      },
      delay_ms);
}

}  // namespace outside::usbio_server
