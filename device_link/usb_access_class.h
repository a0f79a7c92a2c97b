#pragma once

// The window wrapper of the hosted USB access control: the transport calls the control through
// it by dispatch id.

#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/hresult.h"
#include "platform/com/variant.h"

class C_USBAccessClass {
 public:
  C_USBAccessClass() = default;
  C_USBAccessClass(const C_USBAccessClass&) = delete;
  C_USBAccessClass& operator=(const C_USBAccessClass&) = delete;
  ~C_USBAccessClass() = default;

  // Binds the wrapper to the control the host created, or records why there is none (the
  // failed creation result).
  void Attach(platform::ComPtr<platform::IDispatch> control);
  void AttachFailed(platform::HRESULT creation_result);
  void Detach();
  platform::IDispatch* GetControl() const { return control_.Get(); }

  // Calls member `id` as `kind` (DISPATCH_METHOD or DISPATCH_PROPERTYPUT) with `args`, first
  // argument first, and returns its result. A failed call raises _com_error with its result;
  // without a control the creation's failure (E_POINTER when it was never tried) is raised.
  platform::_variant_t InvokeHelper(platform::DISPID id, platform::WORD kind,
                                    std::vector<platform::_variant_t> args) const;

 private:
  platform::ComPtr<platform::IDispatch> control_;
  platform::HRESULT missing_reason_ = platform::E_POINTER;
};
