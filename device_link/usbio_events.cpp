#include "device_link/usbio_events.h"

#include "device_link/upgrade_messages.h"
#include "device_link/worker_main_window.h"
#include "outside/usbio_server/usbio_device_ptr.h"
#include "platform/com/com_error.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"

using outside::usbio_server::_IUSBIOInterfaceEvents3;
using outside::usbio_server::IUSBIOComDevice;
using outside::usbio_server::IUSBIOComDevicePtr;
using platform::ComPtr;
using platform::HRESULT;
using platform::IUnknown;

namespace {

// The connection point of the USBIO events on `source`.
HRESULT FindEventPoint(IUnknown* source, ComPtr<platform::IConnectionPoint>& point) {
  if (source == nullptr) {
    return platform::E_POINTER;
  }
  ComPtr<platform::IConnectionPointContainer> container;
  const HRESULT hr = ComPtr<IUnknown>(source).As(container);
  if (platform::FAILED(hr)) {
    return hr;
  }
  return container->FindConnectionPoint(_IUSBIOInterfaceEvents3::kIid,
                                        point.ReleaseAndGetAddressOf());
}

HRESULT PostEvent(platform::UINT message) {
  PostToWorkerMainWindow(message, 0, 0);
  return platform::S_OK;
}

}  // namespace

CUSBIOEvents::CUSBIOEvents() {
  using HandlerMember = HRESULT (CUSBIOEvents::*)(IUnknown*);
  const auto bind = [this](platform::DISPID id, HandlerMember handler) {
    table_.AddMethod(id, 1, [this, handler](const platform::DispatchCall& call) {
      return (this->*handler)(call.Unknown(0));
    });
  };
  bind(outside::usbio_server::kEventReadComplete, &CUSBIOEvents::OnReadComplete);
  bind(outside::usbio_server::kEventWriteComplete, &CUSBIOEvents::OnWriteComplete);
  bind(outside::usbio_server::kEventUnused, &CUSBIOEvents::OnIgnoredEvent);
  bind(outside::usbio_server::kEventDeviceArrival, &CUSBIOEvents::OnDeviceArrival);
  bind(outside::usbio_server::kEventDeviceRemoval, &CUSBIOEvents::OnDeviceRemoval);
}

HRESULT CUSBIOEvents::Invoke(platform::DISPID id, platform::WORD flags,
                             const platform::DISPPARAMS& params, platform::VARIANT* result) {
  // An exception must not travel back into the server that raised the event.
  try {
    return table_.Invoke(id, flags, params, result);
  } catch (const platform::_com_error& error) {
    return error.Error();
  }
}

HRESULT CUSBIOEvents::DispEventAdvise(IUnknown* source) {
  if (IsConnected()) {
    return platform::S_FALSE;
  }
  ComPtr<platform::IConnectionPoint> point;
  const HRESULT hr = FindEventPoint(source, point);
  if (platform::FAILED(hr)) {
    return hr;
  }
  platform::DWORD cookie = 0;
  const HRESULT advised = point->Advise(GetUnknown(), &cookie);
  if (platform::SUCCEEDED(advised)) {
    cookie_ = cookie;
  }
  return advised;
}

HRESULT CUSBIOEvents::DispEventUnadvise(IUnknown* source) {
  if (!IsConnected()) {
    return platform::S_FALSE;
  }
  ComPtr<platform::IConnectionPoint> point;
  HRESULT hr = FindEventPoint(source, point);
  if (platform::SUCCEEDED(hr)) {
    hr = point->Unadvise(cookie_);
  }
  cookie_ = 0;
  return hr;
}

HRESULT CUSBIOEvents::OnReadComplete(IUnknown* /*device*/) {
  return PostEvent(WM_UPG_READ_COMPLETE);
}

HRESULT CUSBIOEvents::OnWriteComplete(IUnknown* /*device*/) {
  return PostEvent(WM_UPG_WRITE_COMPLETE);
}

HRESULT CUSBIOEvents::OnIgnoredEvent(IUnknown* /*device*/) { return platform::S_OK; }

HRESULT CUSBIOEvents::OnDeviceArrival(IUnknown* /*device*/) {
  return PostEvent(WM_UPG_DEVICE_ARRIVED);
}

HRESULT CUSBIOEvents::OnDeviceRemoval(IUnknown* device) {
  PostEvent(WM_UPG_DEVICE_REMOVED);
  ComPtr<IUSBIOComDevice> removed;
  if (device != nullptr) {
    ComPtr<IUnknown>(device).As(removed);
  }
  platform::LONG status = 0;
  IUSBIOComDevicePtr(std::move(removed)).Unconfigure(&status);
  return platform::S_OK;
}
