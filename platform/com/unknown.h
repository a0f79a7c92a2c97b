#pragma once

// The root of every component interface: reference counting and asking for other interfaces.
//
// An interface is a struct of pure virtual methods that derives from `Extends<Parent>` and
// names its identifier in `kIid`, e.g.
//   struct IFoo : Extends<IDispatch> {
//     static constexpr IID kIid = GuidLiteral("{...}");
//     virtual HRESULT Bar(LONG value) = 0;
//   };
// The parent is recorded, so an object that implements IFoo also answers for IDispatch.

#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/win_types.h"

namespace platform {

struct IUnknown {
  static constexpr IID kIid = GuidLiteral("{00000000-0000-0000-C000-000000000046}");

  // On success `*object` holds the interface `iid` (one more reference); otherwise null and
  // E_NOINTERFACE.
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  IUnknown() = default;
  IUnknown(const IUnknown&) = default;
  IUnknown& operator=(const IUnknown&) = default;
  ~IUnknown() = default;  // objects end through Release, never through an interface pointer
};

// Base of an interface that extends `ParentInterface`; records the parent for QueryInterface.
template <class ParentInterface>
struct Extends : ParentInterface {
  using Parent = ParentInterface;
};

}  // namespace platform
