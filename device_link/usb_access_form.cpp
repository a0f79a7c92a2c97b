#include "device_link/usb_access_form.h"

#include <array>
#include <string>
#include <string_view>

#include "device_link/upgrade_messages.h"
#include "device_link/worker_main_window.h"
#include "outside/usb_access_control/usb_access_interfaces.h"
#include "outside/usb_access_control/usb_access_registration.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"

namespace {

// The control's event interface, as the form's sink answers for it.
struct DUSBAccessEvents : platform::Extends<platform::IDispatch> {
  static constexpr platform::IID kIid = outside::usb_access_control::DIID__DUSBAccessEvents;
};

struct EventText {
  std::string_view text;
  platform::UINT message;
};

// Compared exactly and in this order; the first match decides. The two notification texts
// differ in the case of their third letter.
constexpr std::array<EventText, 8> kEventTexts = {{
    {"ReadComplete:General", WM_UPG_READ_COMPLETE},
    {"ReadComplete:Read", WM_UPG_READ_COMPLETE},
    {"ReadComplete:Write", WM_UPG_READ_COMPLETE},
    {"WriteComplete:General", WM_UPG_WRITE_COMPLETE},
    {"WriteComplete:Read", WM_UPG_WRITE_COMPLETE},
    {"WriteComplete:Write", WM_UPG_WRITE_COMPLETE},
    {"PnPAddNotification:General", WM_UPG_DEVICE_ARRIVED},
    {"PnpRemoveNotification:General", WM_UPG_DEVICE_REMOVED},
}};

platform::HRESULT FindEventPoint(platform::IDispatch& control,
                                 platform::ComPtr<platform::IConnectionPoint>& point) {
  platform::ComPtr<platform::IConnectionPointContainer> container;
  const platform::HRESULT hr = platform::ComPtr<platform::IDispatch>(&control).As(container);
  if (platform::FAILED(hr)) {
    return hr;
  }
  return container->FindConnectionPoint(DUSBAccessEvents::kIid, point.ReleaseAndGetAddressOf());
}

}  // namespace

// The form's event sink map: event 1 of control 1044 goes to CUSBAccessForm::OnControlEvent
// while the form is there.
class CUSBAccessFormEvents final : public platform::ComObject<DUSBAccessEvents> {
 public:
  explicit CUSBAccessFormEvents(CUSBAccessForm& form) : form_(&form) {
    table_.AddMethod(outside::usb_access_control::kDispidControlEvent, 2,
                     [this](const platform::DispatchCall& call) {
                       if (form_ != nullptr) {
                         form_->OnControlEvent(&call.BstrRef(0), &call.LongRef(1));
                       }
                       return platform::S_OK;
                     });
  }

  platform::HRESULT Invoke(platform::DISPID id, platform::WORD flags,
                           const platform::DISPPARAMS& params, platform::VARIANT* result) override {
    return table_.Invoke(id, flags, params, result);
  }

  void Forget() { form_ = nullptr; }

 private:
  ~CUSBAccessFormEvents() override = default;

  CUSBAccessForm* form_;
  platform::DispatchTable table_;
};

CUSBAccessForm::CUSBAccessForm() : Dialog(IDD) {}

CUSBAccessForm::~CUSBAccessForm() {
  ReleaseControl();
  DestroyWindow();
}

void CUSBAccessForm::DoDataExchange(platform::DataExchange& exchange) {
  Dialog::DoDataExchange(exchange);
  if (!exchange.IsSaving() && m_ctlUSBAccess.GetControl() == nullptr) {
    BindControl();
  }
}

void CUSBAccessForm::BindControl() {
  const platform::Control* const site = GetDlgItem(kUsbAccessControlId);
  if (site == nullptr) {
    m_ctlUSBAccess.AttachFailed(platform::E_POINTER);
    return;
  }
  platform::ComPtr<platform::IDispatch> control;
  const platform::HRESULT created =
      outside::usb_access_control::CreateHostedControl(site->Template().class_id, control);
  if (platform::FAILED(created)) {
    m_ctlUSBAccess.AttachFailed(created);
    return;
  }
  platform::ComPtr<platform::IConnectionPoint> point;
  if (platform::SUCCEEDED(FindEventPoint(*control, point))) {
    auto events = platform::MakeComObject<CUSBAccessFormEvents>(*this);
    platform::DWORD cookie = 0;
    if (platform::SUCCEEDED(point->Advise(events->GetUnknown(), &cookie))) {
      events_ = std::move(events);
      cookie_ = cookie;
    }
  }
  m_ctlUSBAccess.Attach(std::move(control));
}

void CUSBAccessForm::ReleaseControl() {
  platform::IDispatch* const control = m_ctlUSBAccess.GetControl();
  if (events_) {
    platform::ComPtr<platform::IConnectionPoint> point;
    if (control != nullptr && platform::SUCCEEDED(FindEventPoint(*control, point))) {
      point->Unadvise(cookie_);
    }
    events_->Forget();
    events_.Reset();
    cookie_ = 0;
  }
  m_ctlUSBAccess.Detach();
}

void CUSBAccessForm::OnControlEvent(platform::BSTR* text, platform::LONG* /*value*/) {
  const std::string narrow = text != nullptr
                                 ? platform::Utf16ToUtf8({*text, platform::SysStringLen(*text)})
                                 : std::string();
  for (const EventText& event : kEventTexts) {
    if (narrow == event.text) {
      PostToWorkerMainWindow(event.message, 0, 0);
      return;
    }
  }
}
