#include "platform/com/class_factory.h"

#include <utility>

namespace platform {

ClassFactory::ClassFactory(Creator creator, ComModule& module)
    : ComObject(nullptr), creator_(std::move(creator)), module_(module) {}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, const IID& iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (outer != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  const ComPtr<IUnknown> instance = creator_();
  if (!instance) {
    return E_OUTOFMEMORY;
  }
  return instance->QueryInterface(iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock != FALSE) {
    module_.Lock();
  } else {
    module_.Unlock();
  }
  return S_OK;
}

}  // namespace platform
