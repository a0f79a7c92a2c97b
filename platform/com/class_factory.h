#pragma once

// Class factories: the objects through which CoCreateInstance and a library's class-object
// lookup make instances of a class.

#include <functional>

#include "platform/com/com_module.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace platform {

struct IClassFactory : Extends<IUnknown> {
  static constexpr IID kIid = GuidLiteral("{00000001-0000-0000-C000-000000000046}");

  // A new instance as interface `iid`; `outer` non-null asks for aggregation.
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  // TRUE keeps the serving module loaded until a matching FALSE.
  virtual HRESULT LockServer(BOOL lock) = 0;
};

// A factory that makes its objects with a function; no aggregation. The factory itself is not
// counted among the module's live objects (the module holds its factories for its whole life);
// LockServer goes to the module's server lock.
class ClassFactory final : public ComObject<IClassFactory> {
 public:
  // Returns the new object, or null when it could not be made (E_OUTOFMEMORY).
  using Creator = std::function<ComPtr<IUnknown>()>;

  explicit ClassFactory(Creator creator, ComModule& module = ProcessModule());

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
  HRESULT LockServer(BOOL lock) override;

 private:
  Creator creator_;
  ComModule& module_;
};

}  // namespace platform
