#include "device_link/usb_access_class.h"

#include <utility>

#include "platform/com/com_error.h"

void C_USBAccessClass::Attach(platform::ComPtr<platform::IDispatch> control) {
  control_ = std::move(control);
  missing_reason_ = platform::E_POINTER;
}

void C_USBAccessClass::AttachFailed(platform::HRESULT creation_result) {
  control_.Reset();
  missing_reason_ = creation_result;
}

void C_USBAccessClass::Detach() {
  control_.Reset();
  missing_reason_ = platform::E_POINTER;
}

platform::_variant_t C_USBAccessClass::InvokeHelper(platform::DISPID id, platform::WORD kind,
                                                    std::vector<platform::_variant_t> args) const {
  if (!control_) {
    throw platform::_com_error(missing_reason_, platform::IDispatch::kIid);
  }
  platform::DISPPARAMS params;
  params.args = std::move(args);
  platform::_variant_t result;
  platform::ThrowIfFailed(control_->Invoke(id, kind, params, &result), platform::IDispatch::kIid);
  return result;
}
