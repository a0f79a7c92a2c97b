#pragma once

// Late-bound calls: a member is named by its dispatch id and gets its arguments as VARIANTs.
// The server side builds Invoke from a DispatchTable instead of checking ids, argument counts
// and types by hand in every object and event sink.

#include <functional>
#include <map>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/hresult.h"
#include "platform/com/safe_array.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
#include "platform/win_types.h"

namespace platform {

using DISPID = LONG;

// What kind of member a call expects.
inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;

// The arguments of one call, first argument first. A property put passes the new value as its
// one argument. Out-parameters are VT_BYREF variants pointing at the caller's storage.
struct DISPPARAMS {
  std::vector<_variant_t> args;
};

struct IDispatch : Extends<IUnknown> {
  static constexpr IID kIid = GuidLiteral("{00020400-0000-0000-C000-000000000046}");

  // DISP_E_MEMBERNOTFOUND for an id (or call kind) the object does not have,
  // DISP_E_BADPARAMCOUNT and DISP_E_TYPEMISMATCH for unfit arguments. `result` may be null
  // when the caller does not want one.
  virtual HRESULT Invoke(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result) = 0;
};

// One call as a DispatchTable handler sees it: typed access to the arguments (a value or a
// reference of a compatible type; anything else ends the call with DISP_E_TYPEMISMATCH) and
// the result slot.
class DispatchCall {
 public:
  DispatchCall(const DISPPARAMS& params, VARIANT* result);

  UINT ArgCount() const { return static_cast<UINT>(params_.args.size()); }
  // Numeric arguments convert between long, short, byte and bool (DISP_E_OVERFLOW when the
  // value does not fit).
  LONG Long(UINT index) const;
  SHORT Short(UINT index) const;
  bool Bool(UINT index) const;
  // A string by value or by reference; null stays null.
  BSTR Bstr(UINT index) const;
  IUnknown* Unknown(UINT index) const;
  // Out-parameters: the caller's storage behind a VT_BYREF argument of exactly that type.
  LONG& LongRef(UINT index) const;
  VARIANT_BOOL& BoolRef(UINT index) const;
  BSTR& BstrRef(UINT index) const;
  // A byte array passed by reference, either as VT_BYREF | VT_ARRAY | VT_UI1 or as a variant
  // by reference that holds (or is to receive) a byte array. The callee may replace the array.
  SAFEARRAY*& ByteArrayRef(UINT index) const;

  // Stores the result when the caller asked for one.
  void SetResult(_variant_t value) const;

 private:
  const VARIANT& Arg(UINT index) const;
  template <class Value>
  Value Converted(UINT index, VARTYPE type, Value VARIANT::*member) const;

  const DISPPARAMS& params_;
  VARIANT* result_;
};

// The members of a dispatch object or event sink, by id.
class DispatchTable {
 public:
  // Returns S_OK or an error of its own; argument accessors that fail end the call for it.
  using Handler = std::function<HRESULT(const DispatchCall& call)>;

  // `kinds`: the DISPATCH_* kinds the member answers to; `arg_count`: how many arguments it
  // takes.
  void Add(DISPID id, WORD kinds, UINT arg_count, Handler handler);
  void AddMethod(DISPID id, UINT arg_count, Handler handler);
  void AddPropertyPut(DISPID id, Handler handler);

  HRESULT Invoke(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result) const;

 private:
  struct Member {
    WORD kinds;
    UINT arg_count;
    Handler handler;
  };
  std::map<DISPID, Member> members_;
};

}  // namespace platform
