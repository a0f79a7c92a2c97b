#include "outside/usb_access_control/usb_access_control.h"

#include <algorithm>
#include <span>
#include <utility>

#include "outside/console_sim/command_table.h"
#include "outside/usb/report.h"
#include "platform/com/bstr.h"
#include "platform/thread/message_loop.h"

namespace outside::usb_access_control {

namespace {

using platform::BYTE;
using platform::DispatchCall;
using platform::HRESULT;
using platform::LONG;
using platform::S_OK;
using platform::SAFEARRAY;
using platform::SHORT;

constexpr SHORT kDone = 0;
constexpr SHORT kFailed = -1;
constexpr LONG kSearch = -1;
constexpr LONG kNotFound = -2;
constexpr LONG kLargestEndpointAddress = 0xFF;
constexpr int kNotListening = -1;

// The elements of a one-dimensional byte array; nothing for any other array.
std::optional<std::span<BYTE>> BytesOf(SAFEARRAY* array) {
  if (array == nullptr || array->element_type != platform::VT_UI1) return std::nullopt;
  return std::span<BYTE>(array->data);
}

bool HoldsConsoleIdentity(const usb::Device& device) {
  const std::optional<std::string> text = device.StringDescriptor(console_sim::kIdentityDescriptor);
  return text && text->find(console_sim::kConsoleIdentity) != std::string::npos;
}

HRESULT Answer(const DispatchCall& call, platform::_variant_t result) {
  call.SetResult(std::move(result));
  return S_OK;
}

}  // namespace

UsbAccessControl::UsbAccessControl(std::shared_ptr<usb::Bus> bus) : bus_(std::move(bus)) {
  AddProperties();
  AddMethods();
  arrivals_ = bus_->SubscribeArrival(
      [this](const std::shared_ptr<usb::Device>& device) { OnArrival(*device); });
  removals_ = bus_->SubscribeRemoval(
      [this](const std::shared_ptr<usb::Device>& device) { OnRemoval(*device); });
}

UsbAccessControl::~UsbAccessControl() {
  arrivals_.Cancel();
  removals_.Cancel();
  ReleaseDevice();
}

HRESULT UsbAccessControl::Invoke(platform::DISPID id, platform::WORD flags,
                                 const platform::DISPPARAMS& params, platform::VARIANT* result) {
  return table_.Invoke(id, flags, params, result);
}

HRESULT UsbAccessControl::FindConnectionPoint(const platform::IID& iid,
                                              platform::IConnectionPoint** point) {
  platform::ConnectionPoint* const points[] = {&events_};
  return platform::FindConnectionPointIn(points, iid, point);
}

void UsbAccessControl::AddProperties() {
  table_.AddPropertyPut(kDispidEventsEnabled, [this](const DispatchCall& call) {
    events_enabled_ = call.Bool(0);
    return S_OK;
  });
  table_.AddPropertyPut(kDispidFileInEndpoint, [this](const DispatchCall& call) {
    return PutEndpoint(call, file_.in, true);
  });
  table_.AddPropertyPut(kDispidFileOutEndpoint, [this](const DispatchCall& call) {
    return PutEndpoint(call, file_.out, false);
  });
  table_.AddPropertyPut(kDispidCommandOutEndpoint, [this](const DispatchCall& call) {
    return PutEndpoint(call, command_.out, false);
  });
  table_.AddPropertyPut(kDispidCommandInEndpoint, [this](const DispatchCall& call) {
    return PutEndpoint(call, command_.in, true);
  });
}

void UsbAccessControl::AddMethods() {
  table_.AddMethod(kDispidOpen, 1, [this](const DispatchCall& call) {
    return Answer(call, Open(call.LongRef(0)));
  });
  table_.AddMethod(kDispidIdentify, 1, [this](const DispatchCall& call) {
    LONG& count = call.LongRef(0);
    if (count == kSearch) count = static_cast<LONG>(bus_->Count());
    return Answer(call, static_cast<SHORT>(FindConsole(count)));
  });
  table_.AddMethod(kDispidBindCommandPipes, 0,
                   [this](const DispatchCall& call) { return Answer(call, BindPair(command_)); });
  table_.AddMethod(kDispidBindFilePipes, 0,
                   [this](const DispatchCall& call) { return Answer(call, BindPair(file_)); });
  table_.AddMethod(kDispidWrite, 1, [this](const DispatchCall& call) {
    return Answer(call, Write(call.ByteArrayRef(0)));
  });
  table_.AddMethod(kDispidClose, 0, [this](const DispatchCall& call) {
    ReleaseDevice();
    return Answer(call, kDone);
  });
  table_.AddMethod(kDispidConfigure, 0,
                   [this](const DispatchCall& call) { return Answer(call, Configure()); });
  table_.AddMethod(kDispidRead, 2, [this](const DispatchCall& call) {
    return Answer(call, Read(call.ByteArrayRef(0), call.BoolRef(1)));
  });
  table_.AddMethod(kDispidReset, 0,
                   [this](const DispatchCall& call) { return Answer(call, Reset()); });
}

HRESULT UsbAccessControl::PutEndpoint(const DispatchCall& call, usb::Endpoint& endpoint, bool in) {
  const LONG address = call.Long(0);
  if (address < 0 || address > kLargestEndpointAddress ||
      usb::IsInEndpoint(static_cast<usb::Endpoint>(address)) != in) {
    return platform::E_INVALIDARG;
  }
  // A bound pair keeps its ends until it is bound again.
  endpoint = static_cast<usb::Endpoint>(address);
  return S_OK;
}

SHORT UsbAccessControl::Open(LONG& device_number) {
  ReleaseDevice();
  if (device_number == kSearch) device_number = FindConsole(static_cast<LONG>(bus_->Count()));
  const std::shared_ptr<usb::Device> device =
      device_number >= 0 ? bus_->At(static_cast<std::size_t>(device_number)) : nullptr;
  if (!device || !device->Open()) {
    RaiseEvent(kTextOpenError, device_number);
    return kFailed;
  }
  device_ = device;
  device_number_ = device_number;
  watched_device_ = device.get();
  report_ready_ = device->SubscribeReportReady(
      [this](usb::Endpoint in, platform::Millis delay_ms) { OnReportReady(in, delay_ms); });
  return kDone;
}

LONG UsbAccessControl::FindConsole(LONG count) {
  for (LONG index = 0; index < count; ++index) {
    const std::shared_ptr<usb::Device> device = bus_->At(static_cast<std::size_t>(index));
    if (!device) break;
    if (HoldsConsoleIdentity(*device) && CanOpen(*device)) return index;
  }
  return kNotFound;
}

bool UsbAccessControl::CanOpen(usb::Device& device) const {
  if (&device == device_.get()) return true;
  const bool opened = device.Open();
  if (opened) device.Close();
  return opened;
}

SHORT UsbAccessControl::Configure() {
  if (!device_) return kFailed;
  return device_->SelectConfiguration(console_sim::kConsoleConfiguration) ? kDone : kFailed;
}

SHORT UsbAccessControl::BindPair(PipePair& pair) {
  pair.bound = device_ && device_->HasEndpoint(pair.in) && device_->HasEndpoint(pair.out);
  Listen();
  return pair.bound ? kDone : kFailed;
}

SHORT UsbAccessControl::Write(SAFEARRAY* report) {
  const std::optional<std::span<BYTE>> bytes = BytesOf(report);
  if (!device_ || !command_.bound || !bytes || bytes->empty() || bytes->size() > usb::kReportSize) {
    return kFailed;
  }
  if (!device_->Write(command_.out, *bytes)) {
    RaiseTransferEvent(kTextWriteError);
    return kFailed;
  }
  RaiseTransferEvent(kTextWriteComplete);
  return kDone;
}

LONG UsbAccessControl::Read(SAFEARRAY*& report, platform::VARIANT_BOOL& taken) {
  taken = platform::VARIANT_FALSE;
  if (!device_ || !command_.bound) return 0;
  const std::optional<usb::Report> waiting = device_->Read(command_.in);
  if (!waiting) return 0;
  if (BytesOf(report).value_or(std::span<BYTE>{}).size() < usb::kReportSize) {
    platform::SafeArrayDestroy(report);
    report = platform::SafeArrayCreateVector(platform::VT_UI1, 0, usb::kReportSize);
  }
  std::copy(waiting->begin(), waiting->end(), BytesOf(report)->begin());
  taken = platform::VARIANT_TRUE;
  return static_cast<LONG>(usb::kReportSize);
}

bool UsbAccessControl::Reset() {
  if (!device_) return false;
  device_->Reset();
  return true;
}

void UsbAccessControl::ReleaseDevice() {
  command_.bound = false;
  file_.bound = false;
  Listen();
  report_ready_.Cancel();
  watched_device_ = nullptr;
  device_number_ = -1;
  if (device_) std::exchange(device_, nullptr)->Close();
}

void UsbAccessControl::Listen() {
  command_in_ = command_.bound ? command_.in : kNotListening;
  file_in_ = file_.bound ? file_.in : kNotListening;
}

void UsbAccessControl::OnReportReady(usb::Endpoint in, platform::Millis delay_ms) {
  const int endpoint = in;
  if (endpoint == command_in_.load() || endpoint == file_in_.load()) {
    RaiseTransferEvent(kTextReadComplete, delay_ms);
  }
}

void UsbAccessControl::OnArrival(const usb::Device& device) {
  const auto devices = bus_->Devices();
  const auto found = std::find_if(devices.begin(), devices.end(),
                                  [&device](const auto& each) { return each.get() == &device; });
  const LONG index = found == devices.end() ? -1 : static_cast<LONG>(found - devices.begin());
  RaiseEvent(kTextDeviceArrived, index);
}

void UsbAccessControl::OnRemoval(const usb::Device& device) {
  if (&device == watched_device_.load()) RaiseEvent(kTextDeviceRemoved, device_number_.load());
}

void UsbAccessControl::RaiseTransferEvent(const char* text, platform::Millis delay_ms) {
  if (events_enabled_.load()) RaiseEvent(text, device_number_.load(), delay_ms);
}

void UsbAccessControl::RaiseEvent(std::string text, LONG value, platform::Millis delay_ms) {
  // An event that finds no sink connected is gone; a sink connected later does not get it.
  if (events_.SinkCount() == 0) return;
  platform::PostClosure(
      CreatorThreadId(),
      [self = platform::ComPtr<UsbAccessControl>(this), text = std::move(text), value]() mutable {
        // The event passes both by reference; a sink may change them, and what it leaves is
        // freed here.
        platform::BSTR text_argument = platform::_bstr_t(text).Detach();
        platform::DISPPARAMS params;
        params.args.push_back(platform::_variant_t::ByRef(&text_argument));
        params.args.push_back(platform::_variant_t::ByRef(&value));
        self->events_.Fire(kDispidControlEvent, params);
        platform::SysFreeString(text_argument);
      },
      delay_ms);
}

}  // namespace outside::usb_access_control
