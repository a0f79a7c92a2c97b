#pragma once

// The component runtime of a process: per-thread initialisation, the process-wide registry of
// class factories (what an installed server writes into the system registry) and
// CoCreateInstance over it.
//
// Apartment rule: an object belongs to the thread that created it and is used there; its
// events come through that thread's message loop (see ComObject::PostToCreator).

#include <string>

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/win_types.h"

namespace platform {

// Class contexts: where a server may run.
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER;

// Counted per thread: S_OK for the first call on a thread, S_FALSE for each further one.
// `reserved` must be null (E_INVALIDARG otherwise).
HRESULT CoInitialize(void* reserved = nullptr);
// Undoes one CoInitialize of the calling thread; without one it does nothing.
void CoUninitialize();
bool IsComInitialized();

// Makes an instance of a registered class. `*object` is null unless the result is a success.
// CO_E_NOTINITIALIZED on a thread without CoInitialize; REGDB_E_CLASSNOTREG when the class is
// not registered for any of the requested contexts; the factory's result otherwise.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD class_context, const IID& iid,
                         void** object);

// The same for a typed out pointer: asks for T::kIid.
template <class T>
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD class_context, T** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  void* raw = nullptr;
  const HRESULT hr = CoCreateInstance(clsid, outer, class_context, T::kIid, &raw);
  *object = static_cast<T*>(raw);
  return hr;
}

// Registers `factory` for `clsid`, answering to the contexts in `class_context`; replaces an
// earlier registration of the same class. E_POINTER for a null factory.
HRESULT RegisterClassFactory(const CLSID& clsid, ComPtr<IClassFactory> factory,
                             DWORD class_context);
// REGDB_E_CLASSNOTREG when the class was not registered.
HRESULT UnregisterClassFactory(const CLSID& clsid);

// Registers a class for the lifetime of the guard (tests, stand-ins of a run).
class ScopedClassRegistration {
 public:
  ScopedClassRegistration(const CLSID& clsid, ComPtr<IClassFactory> factory, DWORD class_context);
  ScopedClassRegistration(const ScopedClassRegistration&) = delete;
  ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;
  ~ScopedClassRegistration();

 private:
  CLSID clsid_;
};

}  // namespace platform
