#include "platform/com/com_runtime.h"

#include <map>
#include <mutex>
#include <utility>

namespace platform {

namespace {

thread_local int t_initialisations = 0;

struct RegisteredClass {
  ComPtr<IClassFactory> factory;
  DWORD class_context = 0;
};

struct ClassRegistry {
  std::mutex mutex;
  std::map<std::string, RegisteredClass> classes;  // keyed by the upper-case CLSID text
};

ClassRegistry& Registry() {
  // Never destroyed: objects released during static destruction may still look here.
  static auto* const registry = new ClassRegistry;
  return *registry;
}

// The factory registered for `clsid` under one of the contexts asked for, or null.
ComPtr<IClassFactory> FindFactory(const CLSID& clsid, DWORD class_context) {
  ClassRegistry& registry = Registry();
  const std::lock_guard lock(registry.mutex);
  const auto found = registry.classes.find(GuidToString(clsid));
  if (found == registry.classes.end() || (found->second.class_context & class_context) == 0) {
    return nullptr;
  }
  return found->second.factory;
}

}  // namespace

HRESULT CoInitialize(void* reserved) {
  if (reserved != nullptr) {
    return E_INVALIDARG;
  }
  return t_initialisations++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (t_initialisations > 0) {
    --t_initialisations;
  }
}

bool IsComInitialized() { return t_initialisations > 0; }

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD class_context, const IID& iid,
                         void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (!IsComInitialized()) {
    return CO_E_NOTINITIALIZED;
  }
  // Called outside the registry's lock: a constructor may create objects of its own.
  const ComPtr<IClassFactory> factory = FindFactory(clsid, class_context);
  if (!factory) {
    return REGDB_E_CLASSNOTREG;
  }
  return factory->CreateInstance(outer, iid, object);
}

HRESULT RegisterClassFactory(const CLSID& clsid, ComPtr<IClassFactory> factory,
                             DWORD class_context) {
  if (!factory) {
    return E_POINTER;
  }
  ClassRegistry& registry = Registry();
  RegisteredClass replaced;
  {
    const std::lock_guard lock(registry.mutex);
    RegisteredClass& entry = registry.classes[GuidToString(clsid)];
    replaced = std::exchange(entry, RegisteredClass{std::move(factory), class_context});
  }
  return S_OK;  // `replaced` is released here, outside the lock
}

HRESULT UnregisterClassFactory(const CLSID& clsid) {
  ClassRegistry& registry = Registry();
  RegisteredClass removed;
  {
    const std::lock_guard lock(registry.mutex);
    const auto found = registry.classes.find(GuidToString(clsid));
    if (found == registry.classes.end()) {
      return REGDB_E_CLASSNOTREG;
    }
    removed = std::move(found->second);
    registry.classes.erase(found);
  }
  return S_OK;
}

ScopedClassRegistration::ScopedClassRegistration(const CLSID& clsid, ComPtr<IClassFactory> factory,
                                                 DWORD class_context)
    : clsid_(clsid) {
  RegisterClassFactory(clsid, std::move(factory), class_context);
}

ScopedClassRegistration::~ScopedClassRegistration() { UnregisterClassFactory(clsid_); }

}  // namespace platform
