#pragma once

// Holds one reference to an interface and releases it when it goes, so no code path can
// forget a Release.

#include <cstddef>
#include <type_traits>
#include <utility>

#include "platform/com/unknown.h"

namespace platform {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor): reads like a pointer
  // Takes a reference of its own (AddRef).
  explicit ComPtr(T* pointer) : pointer_(pointer) { AddRefHeld(); }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
      : ComPtr(other.Get()) {}  // NOLINT: upcast like a pointer
  ~ComPtr() { Reset(); }

  // Copy and swap: safe for self-assignment.
  ComPtr& operator=(const ComPtr& other) {  // NOLINT(bugprone-unhandled-self-assignment)
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  T& operator*() const { return *pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  void Reset() {
    if (T* const held = std::exchange(pointer_, nullptr)) {
      held->Release();
    }
  }
  // Adopts a reference the caller already owns (no AddRef).
  void Attach(T* pointer) {
    Reset();
    pointer_ = pointer;
  }
  // Hands the reference over to the caller (no Release).
  T* Detach() { return std::exchange(pointer_, nullptr); }
  // For out parameters: releases what is held and lends the slot.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &pointer_;
  }

  // QueryInterface for U; `out` is empty unless the result is a success.
  template <class U>
  HRESULT As(ComPtr<U>& out) const {
    out.Reset();
    if (pointer_ == nullptr) {
      return E_POINTER;
    }
    void* raw = nullptr;
    const HRESULT hr = pointer_->QueryInterface(U::kIid, &raw);
    if (SUCCEEDED(hr)) {
      out.Attach(static_cast<U*>(raw));
    }
    return hr;
  }

  void Swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.pointer_ == b.pointer_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.pointer_ == nullptr; }

 private:
  void AddRefHeld() {
    if (pointer_ != nullptr) {
      pointer_->AddRef();
    }
  }

  T* pointer_ = nullptr;
};

}  // namespace platform
