#include "platform/com/com_module.h"

#include <algorithm>

#include "platform/com/class_factory.h"
#include "platform/com/com_runtime.h"

namespace platform {

ComModule::ComModule() = default;

ComModule::~ComModule() = default;

LONG ComModule::Lock() { return ++locks_; }

LONG ComModule::Unlock() { return --locks_; }

HRESULT ComModule::CanUnloadNow() const { return locks_ == 0 && objects_ == 0 ? S_OK : S_FALSE; }

void ComModule::AddClassObject(const CLSID& clsid, ComPtr<IClassFactory> factory,
                               DWORD class_context) {
  const std::lock_guard lock(mutex_);
  classes_.push_back(ClassEntry{clsid, std::move(factory), class_context});
}

HRESULT ComModule::GetClassObject(const CLSID& clsid, const IID& iid, void** object) const {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  ComPtr<IClassFactory> factory;
  {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(classes_.begin(), classes_.end(),
                                    [&](const ClassEntry& entry) { return entry.clsid == clsid; });
    if (found == classes_.end()) {
      return CLASS_E_CLASSNOTAVAILABLE;
    }
    factory = found->factory;
  }
  return factory->QueryInterface(iid, object);
}

HRESULT ComModule::RegisterServer() const {
  const std::lock_guard lock(mutex_);
  for (const ClassEntry& entry : classes_) {
    const HRESULT hr = RegisterClassFactory(entry.clsid, entry.factory, entry.class_context);
    if (FAILED(hr)) {
      return hr;
    }
  }
  return S_OK;
}

HRESULT ComModule::UnregisterServer() const {
  const std::lock_guard lock(mutex_);
  for (const ClassEntry& entry : classes_) {
    UnregisterClassFactory(entry.clsid);
  }
  return S_OK;
}

ComModule& ProcessModule() {
  // Never destroyed: objects released during static destruction still count here.
  static auto* const module = new ComModule;
  return *module;
}

}  // namespace platform
