#pragma once

// The tagged value of dispatch calls and events. A VARIANT owns what it holds by value (a
// BSTR, an array, an interface reference); by reference (VT_BYREF) it only points at the
// caller's storage, which is how out-parameters travel.

#include <concepts>
#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/hresult.h"
#include "platform/com/safe_array.h"
#include "platform/com/unknown.h"
#include "platform/com/var_type.h"
#include "platform/win_types.h"

namespace platform {

struct IDispatch;

using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct VARIANT {
  VARTYPE vt = VT_EMPTY;
  union {
    void* byref = nullptr;
    LONG lVal;               // VT_I4
    SHORT iVal;              // VT_I2
    BYTE bVal;               // VT_UI1
    VARIANT_BOOL boolVal;    // VT_BOOL
    BSTR bstrVal;            // VT_BSTR
    IUnknown* punkVal;       // VT_UNKNOWN
    IDispatch* pdispVal;     // VT_DISPATCH
    SAFEARRAY* parray;       // VT_ARRAY | VT_UI1
    LONG* plVal;             // VT_BYREF | VT_I4
    SHORT* piVal;            // VT_BYREF | VT_I2
    BYTE* pbVal;             // VT_BYREF | VT_UI1
    VARIANT_BOOL* pboolVal;  // VT_BYREF | VT_BOOL
    BSTR* pbstrVal;          // VT_BYREF | VT_BSTR
    SAFEARRAY** pparray;     // VT_BYREF | VT_ARRAY | VT_UI1
    VARIANT* pvarVal;        // VT_BYREF | VT_VARIANT
  };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* variant);
// Frees what the variant owns and leaves it empty. DISP_E_ARRAYISLOCKED (nothing freed) when
// it holds an array whose data is being accessed.
HRESULT VariantClear(VARIANT* variant);
// A deep copy: strings and arrays are duplicated, interfaces get a reference of their own;
// by-reference variants copy the pointer.
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);
// Converts between VT_I2, VT_I4, VT_UI1 and VT_BOOL (true is VARIANT_TRUE), reading through
// VT_BYREF; any type converts to itself. DISP_E_OVERFLOW when the value does not fit,
// DISP_E_TYPEMISMATCH for any other pair. `destination` may be `source`.
HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT flags, VARTYPE type);

// Owns one VARIANT. Values are built by the constructors, references by the ByRef makers
// (the pointed-to storage must outlive the variant's use).
class _variant_t : public VARIANT {
 public:
  _variant_t() = default;
  _variant_t(LONG value);   // NOLINT(google-explicit-constructor): values convert freely
  _variant_t(SHORT value);  // NOLINT(google-explicit-constructor)
  _variant_t(BYTE value);   // NOLINT(google-explicit-constructor)
  // Only a real bool: a pointer must not turn into VT_BOOL by accident. TRUE is an int and
  // makes a VT_I4; a boolean argument needs `true`.
  template <std::same_as<bool> Bool>
  _variant_t(Bool value) {  // NOLINT(google-explicit-constructor)
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  _variant_t(const _bstr_t& text);  // NOLINT(google-explicit-constructor)
  _variant_t(const char* utf8);     // NOLINT(google-explicit-constructor)
  explicit _variant_t(SafeByteArray array);
  explicit _variant_t(IUnknown* object);
  explicit _variant_t(IDispatch* object);

  static _variant_t ByRef(LONG* value);
  static _variant_t ByRef(SHORT* value);
  static _variant_t ByRef(BYTE* value);
  static _variant_t BoolByRef(VARIANT_BOOL* value);  // VARIANT_BOOL is a SHORT too
  static _variant_t ByRef(BSTR* text);
  static _variant_t ByRef(SAFEARRAY** array);
  static _variant_t ByRef(VARIANT* value);

  _variant_t(const VARIANT& other);  // NOLINT(google-explicit-constructor): deep copy
  _variant_t(const _variant_t& other);
  _variant_t(_variant_t&& other) noexcept;
  _variant_t& operator=(const _variant_t& other);
  _variant_t& operator=(_variant_t&& other) noexcept;
  ~_variant_t();

  void Clear();
  // Takes over the contents of `source`, which is left empty.
  void Attach(VARIANT& source);
  // Hands the contents over to the caller, who clears them; this variant is left empty.
  VARIANT Detach();
};

}  // namespace platform
