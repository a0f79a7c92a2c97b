#pragma once

// The implementation side of a component object: reference counting, QueryInterface over the
// listed interfaces (and their parents), the live-object count of its module, and the
// apartment rule: the object remembers the thread that created it and queues its events to
// that thread's loop instead of raising them inside the call that caused them.
//
//   class Device final : public ComObject<IDevice, IConnectionPointContainer> { ... };
//   ComPtr<Device> device = MakeComObject<Device>(arguments...);

#include <atomic>
#include <concepts>
#include <functional>
#include <utility>

#include "platform/com/com_module.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"
#include "platform/thread/message_loop.h"
#include "platform/win_types.h"

namespace platform {

template <class Interface>
concept HasParentInterface = requires {
  typename Interface::Parent;
};

template <class FirstInterface, class... OtherInterfaces>
class ComObject : public FirstInterface, public OtherInterfaces... {
 public:
  // `module` null: the object is not counted (objects that live as long as their module).
  explicit ComObject(ComModule* module = &ProcessModule())
      : module_(module), creator_thread_(GetCurrentThreadId()) {
    if (module_ != nullptr) {
      module_->ObjectCreated();
    }
  }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG remaining = --references_;
    if (remaining == 0) {
      delete this;
    }
    return remaining;
  }
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    void* found = nullptr;
    // The first interface (in the order listed) that has `iid`, itself or as a parent.
    const bool supported = (((found = FindInterface<FirstInterface>(iid)) != nullptr) || ... ||
                            ((found = FindInterface<OtherInterfaces>(iid)) != nullptr));
    *object = found;
    if (!supported) {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }

  // The object's identity: the same pointer whichever interface it is reached through.
  IUnknown* GetUnknown() { return static_cast<IUnknown*>(static_cast<FirstInterface*>(this)); }
  DWORD CreatorThreadId() const { return creator_thread_; }

 protected:
  virtual ~ComObject() {
    if (module_ != nullptr) {
      module_->ObjectDestroyed();
    }
  }

  // Runs `event` later on the creating thread's loop. The object stays alive until then.
  // False when that thread has ended.
  bool PostToCreator(std::function<void()> event) {
    return PostClosure(creator_thread_, [self = ComPtr<ComObject>(this), event = std::move(event)] {
             event();
           }) != FALSE;
  }

 private:
  // The pointer for `iid` if `Interface` or one of its parents has that identifier.
  template <class Interface, class Level = Interface>
  void* FindInterface(const IID& iid) {
    if (iid == Level::kIid) {
      return static_cast<void*>(static_cast<Level*>(static_cast<Interface*>(this)));
    }
    if constexpr (HasParentInterface<Level>) {
      static_assert(!(Level::kIid == Level::Parent::kIid), "an interface must name its own kIid");
      return FindInterface<Interface, typename Level::Parent>(iid);
    } else {
      return nullptr;
    }
  }

  ComModule* const module_;
  const DWORD creator_thread_;
  std::atomic<ULONG> references_ = 0;
};

// Creates an object and hands out its first reference.
template <class Object, class... Arguments>
ComPtr<Object> MakeComObject(Arguments&&... arguments) {
  return ComPtr<Object>(new Object(std::forward<Arguments>(arguments)...));
}

}  // namespace platform
