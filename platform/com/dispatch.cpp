#include "platform/com/dispatch.h"

#include <utility>

namespace platform {

namespace {

// Ends a call whose arguments do not fit; only DispatchTable::Invoke catches it.
struct ArgumentError {
  HRESULT hr;
};

[[noreturn]] void Refuse(HRESULT hr) { throw ArgumentError{hr}; }

// The variant a VT_BYREF | VT_VARIANT argument points at, or the argument itself.
VARIANT& Target(const VARIANT& argument) {
  if (argument.vt == (VT_BYREF | VT_VARIANT)) {
    if (argument.pvarVal == nullptr) {
      Refuse(E_POINTER);
    }
    return Target(*argument.pvarVal);
  }
  // The arguments are the caller's; only their by-reference targets are written.
  return const_cast<VARIANT&>(argument);
}

// The caller's storage behind a by-reference argument of `type`, or behind a variant by
// reference that holds a `type` value.
template <class Value>
Value& Reference(const VARIANT& argument, VARTYPE type, Value* VARIANT::*by_reference,
                 Value VARIANT::*by_value) {
  const bool through_variant = argument.vt == (VT_BYREF | VT_VARIANT);
  VARIANT& target = Target(argument);
  if (target.vt == (VT_BYREF | type) && target.*by_reference != nullptr) {
    return *(target.*by_reference);
  }
  if (through_variant && target.vt == type) {
    return target.*by_value;
  }
  Refuse(DISP_E_TYPEMISMATCH);
}

}  // namespace

DispatchCall::DispatchCall(const DISPPARAMS& params, VARIANT* result)
    : params_(params), result_(result) {}

const VARIANT& DispatchCall::Arg(UINT index) const {
  if (index >= params_.args.size()) {
    Refuse(DISP_E_BADPARAMCOUNT);
  }
  return params_.args[index];
}

template <class Value>
Value DispatchCall::Converted(UINT index, VARTYPE type, Value VARIANT::*member) const {
  VARIANT converted;
  const HRESULT hr = VariantChangeType(&converted, &Arg(index), 0, type);
  if (FAILED(hr)) {
    Refuse(hr);
  }
  return converted.*member;
}

LONG DispatchCall::Long(UINT index) const { return Converted(index, VT_I4, &VARIANT::lVal); }

SHORT DispatchCall::Short(UINT index) const { return Converted(index, VT_I2, &VARIANT::iVal); }

bool DispatchCall::Bool(UINT index) const {
  return Converted(index, VT_BOOL, &VARIANT::boolVal) != VARIANT_FALSE;
}

BSTR DispatchCall::Bstr(UINT index) const {
  const VARIANT& argument = Target(Arg(index));
  if (argument.vt == VT_BSTR) {
    return argument.bstrVal;
  }
  if (argument.vt == (VT_BYREF | VT_BSTR) && argument.pbstrVal != nullptr) {
    return *argument.pbstrVal;
  }
  Refuse(DISP_E_TYPEMISMATCH);
}

IUnknown* DispatchCall::Unknown(UINT index) const {
  const VARIANT& argument = Target(Arg(index));
  if (argument.vt == VT_UNKNOWN) {
    return argument.punkVal;
  }
  if (argument.vt == VT_DISPATCH) {
    return argument.pdispVal;
  }
  Refuse(DISP_E_TYPEMISMATCH);
}

LONG& DispatchCall::LongRef(UINT index) const {
  return Reference(Arg(index), VT_I4, &VARIANT::plVal, &VARIANT::lVal);
}

VARIANT_BOOL& DispatchCall::BoolRef(UINT index) const {
  return Reference(Arg(index), VT_BOOL, &VARIANT::pboolVal, &VARIANT::boolVal);
}

BSTR& DispatchCall::BstrRef(UINT index) const {
  return Reference(Arg(index), VT_BSTR, &VARIANT::pbstrVal, &VARIANT::bstrVal);
}

SAFEARRAY*& DispatchCall::ByteArrayRef(UINT index) const {
  return Reference(Arg(index), VT_ARRAY | VT_UI1, &VARIANT::pparray, &VARIANT::parray);
}

void DispatchCall::SetResult(_variant_t value) const {
  if (result_ != nullptr) {
    VariantClear(result_);
    *result_ = value.Detach();
  }
}

void DispatchTable::Add(DISPID id, WORD kinds, UINT arg_count, Handler handler) {
  members_[id] = Member{kinds, arg_count, std::move(handler)};
}

void DispatchTable::AddMethod(DISPID id, UINT arg_count, Handler handler) {
  Add(id, DISPATCH_METHOD, arg_count, std::move(handler));
}

void DispatchTable::AddPropertyPut(DISPID id, Handler handler) {
  Add(id, DISPATCH_PROPERTYPUT, 1, std::move(handler));
}

HRESULT DispatchTable::Invoke(DISPID id, WORD flags, const DISPPARAMS& params,
                              VARIANT* result) const {
  const auto found = members_.find(id);
  if (found == members_.end() || (found->second.kinds & flags) == 0) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (params.args.size() != found->second.arg_count) {
    return DISP_E_BADPARAMCOUNT;
  }
  try {
    return found->second.handler(DispatchCall(params, result));
  } catch (const ArgumentError& error) {
    return error.hr;
  }
}

}  // namespace platform
