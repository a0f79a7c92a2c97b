#include "platform/com/variant.h"

#include <limits>
#include <optional>
#include <utility>

#include "platform/com/dispatch.h"

namespace platform {

namespace {

bool IsByteArray(VARTYPE type) { return type == (VT_ARRAY | VT_UI1); }

// The variant that a VT_BYREF | VT_VARIANT chain ends at.
const VARIANT& Dereferenced(const VARIANT& variant) {
  const VARIANT* current = &variant;
  while (current->vt == (VT_BYREF | VT_VARIANT) && current->pvarVal != nullptr) {
    current = current->pvarVal;
  }
  return *current;
}

// The integer value of a numeric or boolean variant, read through VT_BYREF.
std::optional<std::int64_t> NumericValue(const VARIANT& variant) {
  const bool by_reference = (variant.vt & VT_BYREF) != 0;
  if (by_reference && variant.byref == nullptr) {
    return std::nullopt;
  }
  switch (static_cast<VARTYPE>(variant.vt & ~VT_BYREF)) {
    case VT_I4:
      return by_reference ? *variant.plVal : variant.lVal;
    case VT_I2:
      return by_reference ? *variant.piVal : variant.iVal;
    case VT_UI1:
      return by_reference ? *variant.pbVal : variant.bVal;
    case VT_BOOL:
      return by_reference ? *variant.pboolVal : variant.boolVal;
    default:
      return std::nullopt;
  }
}

template <class Target>
bool Fits(std::int64_t value) {
  return value >= std::numeric_limits<Target>::min() && value <= std::numeric_limits<Target>::max();
}

HRESULT ConvertNumber(std::int64_t value, VARTYPE type, VARIANT& out) {
  switch (type) {
    case VT_I4:
      if (!Fits<LONG>(value)) {
        return DISP_E_OVERFLOW;
      }
      out.lVal = static_cast<LONG>(value);
      break;
    case VT_I2:
      if (!Fits<SHORT>(value)) {
        return DISP_E_OVERFLOW;
      }
      out.iVal = static_cast<SHORT>(value);
      break;
    case VT_UI1:
      if (!Fits<BYTE>(value)) {
        return DISP_E_OVERFLOW;
      }
      out.bVal = static_cast<BYTE>(value);
      break;
    case VT_BOOL:
      out.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  out.vt = type;
  return S_OK;
}

_variant_t MakeByRef(VARTYPE type, void* target) {
  _variant_t variant;
  variant.vt = static_cast<VARTYPE>(VT_BYREF | type);
  variant.byref = target;
  return variant;
}

}  // namespace

void VariantInit(VARIANT* variant) {
  variant->vt = VT_EMPTY;
  variant->byref = nullptr;
}

HRESULT VariantClear(VARIANT* variant) {
  if (variant == nullptr) {
    return E_INVALIDARG;
  }
  switch (variant->vt) {
    case VT_BSTR:
      SysFreeString(variant->bstrVal);
      break;
    case VT_UNKNOWN:
      if (variant->punkVal != nullptr) {
        variant->punkVal->Release();
      }
      break;
    case VT_DISPATCH:
      if (variant->pdispVal != nullptr) {
        variant->pdispVal->Release();
      }
      break;
    case VT_ARRAY | VT_UI1: {
      const HRESULT hr = SafeArrayDestroy(variant->parray);
      if (FAILED(hr)) {
        return hr;
      }
      break;
    }
    default:
      break;  // values and references own nothing
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
  if (destination == nullptr || source == nullptr) {
    return E_INVALIDARG;
  }
  if (destination == source) {
    return S_OK;
  }
  VARIANT copy = *source;
  if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
  } else if (source->vt == VT_UNKNOWN && source->punkVal != nullptr) {
    source->punkVal->AddRef();
  } else if (source->vt == VT_DISPATCH && source->pdispVal != nullptr) {
    source->pdispVal->AddRef();
  } else if (IsByteArray(source->vt)) {
    const HRESULT hr = SafeArrayCopy(source->parray, &copy.parray);
    if (FAILED(hr)) {
      return hr;
    }
  }
  const HRESULT hr = VariantClear(destination);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *destination = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT /*flags*/,
                          VARTYPE type) {
  if (destination == nullptr || source == nullptr) {
    return E_INVALIDARG;
  }
  const VARIANT& value = Dereferenced(*source);
  if (value.vt == type) {
    return VariantCopy(destination, &value);
  }
  const std::optional<std::int64_t> number = NumericValue(value);
  if (!number) {
    return DISP_E_TYPEMISMATCH;
  }
  VARIANT converted;
  const HRESULT hr = ConvertNumber(*number, type, converted);
  if (FAILED(hr)) {
    return hr;
  }
  const HRESULT cleared = VariantClear(destination);
  if (FAILED(cleared)) {
    return cleared;
  }
  *destination = converted;
  return S_OK;
}

_variant_t::_variant_t(LONG value) {
  vt = VT_I4;
  lVal = value;
}

_variant_t::_variant_t(SHORT value) {
  vt = VT_I2;
  iVal = value;
}

_variant_t::_variant_t(BYTE value) {
  vt = VT_UI1;
  bVal = value;
}

_variant_t::_variant_t(const _bstr_t& text) {
  vt = VT_BSTR;
  bstrVal = _bstr_t(text).Detach();
}

_variant_t::_variant_t(const char* utf8) : _variant_t(_bstr_t(utf8)) {}

_variant_t::_variant_t(SafeByteArray array) {
  vt = VT_ARRAY | VT_UI1;
  parray = array.Detach();
}

_variant_t::_variant_t(IUnknown* object) {
  vt = VT_UNKNOWN;
  punkVal = object;
  if (object != nullptr) {
    object->AddRef();
  }
}

_variant_t::_variant_t(IDispatch* object) {
  vt = VT_DISPATCH;
  pdispVal = object;
  if (object != nullptr) {
    object->AddRef();
  }
}

_variant_t _variant_t::ByRef(LONG* value) { return MakeByRef(VT_I4, value); }
_variant_t _variant_t::ByRef(SHORT* value) { return MakeByRef(VT_I2, value); }
_variant_t _variant_t::ByRef(BYTE* value) { return MakeByRef(VT_UI1, value); }
_variant_t _variant_t::BoolByRef(VARIANT_BOOL* value) { return MakeByRef(VT_BOOL, value); }
_variant_t _variant_t::ByRef(BSTR* text) { return MakeByRef(VT_BSTR, text); }
_variant_t _variant_t::ByRef(SAFEARRAY** array) { return MakeByRef(VT_ARRAY | VT_UI1, array); }
_variant_t _variant_t::ByRef(VARIANT* value) { return MakeByRef(VT_VARIANT, value); }

_variant_t::_variant_t(const VARIANT& other) { VariantCopy(this, &other); }

// VariantCopy makes the deep copy; the base starts empty so the copy has nothing to clear.
_variant_t::_variant_t(const _variant_t& other)  // NOLINT(bugprone-copy-constructor-init)
    : VARIANT() {
  VariantCopy(this, &other);
}

_variant_t::_variant_t(_variant_t&& other) noexcept : VARIANT(other) { VariantInit(&other); }

_variant_t& _variant_t::operator=(const _variant_t& other) {
  VariantCopy(this, &other);
  return *this;
}

_variant_t& _variant_t::operator=(_variant_t&& other) noexcept {
  std::swap(static_cast<VARIANT&>(*this), static_cast<VARIANT&>(other));
  return *this;
}

_variant_t::~_variant_t() { VariantClear(this); }

void _variant_t::Clear() { VariantClear(this); }

void _variant_t::Attach(VARIANT& source) {
  VariantClear(this);
  static_cast<VARIANT&>(*this) = source;
  VariantInit(&source);
}

VARIANT _variant_t::Detach() {
  const VARIANT contents = *this;
  VariantInit(this);
  return contents;
}

}  // namespace platform
