#pragma once

// What a module (a program or a shared library) knows about its own component objects: how
// many are alive, how many server locks clients hold, and which classes it serves. Its
// answers make the library entry points (class object lookup, "can unload now",
// registration) and leak checks in tests.

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/win_types.h"

namespace platform {

struct IClassFactory;

class ComModule {
 public:
  ComModule();
  ComModule(const ComModule&) = delete;
  ComModule& operator=(const ComModule&) = delete;
  virtual ~ComModule();

  // Server locks (IClassFactory::LockServer and the application's own lock). A module may
  // override them to tie them to its host.
  virtual LONG Lock();
  virtual LONG Unlock();
  LONG GetLockCount() const { return locks_; }

  // Objects of this module that are alive now (counted by ComObject).
  LONG GetObjectCount() const { return objects_; }
  void ObjectCreated() { ++objects_; }
  void ObjectDestroyed() { --objects_; }

  // S_OK when no object is alive and no lock is held, else S_FALSE.
  HRESULT CanUnloadNow() const;

  // The classes this module serves, with the class contexts they answer to.
  void AddClassObject(const CLSID& clsid, ComPtr<IClassFactory> factory, DWORD class_context);
  // The module's factory for `clsid` as interface `iid`; CLASS_E_CLASSNOTAVAILABLE (and a
  // null `*object`) when the module does not serve that class.
  HRESULT GetClassObject(const CLSID& clsid, const IID& iid, void** object) const;
  // Puts every class of the module into the process's class registry, or takes them out.
  HRESULT RegisterServer() const;
  HRESULT UnregisterServer() const;

 private:
  struct ClassEntry {
    CLSID clsid;
    ComPtr<IClassFactory> factory;
    DWORD class_context;
  };

  std::atomic<LONG> locks_ = 0;
  std::atomic<LONG> objects_ = 0;
  mutable std::mutex mutex_;
  std::vector<ClassEntry> classes_;
};

// The module of the running program; objects count here unless they name another module.
ComModule& ProcessModule();

}  // namespace platform
