#pragma once

// Byte arrays as component calls pass them: one dimension, a lower bound, and a lock count
// while someone holds a pointer into the data. Only byte elements are used by the program.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/com/hresult.h"
#include "platform/com/var_type.h"
#include "platform/win_types.h"

namespace platform {

// The array's descriptor; create and destroy it only through the functions below.
struct SAFEARRAY {
  VARTYPE element_type = 0;
  LONG lower_bound = 0;
  ULONG locks = 0;
  std::vector<BYTE> data;
};

// A one-dimensional array of `count` elements, all zero; only VT_UI1 elements are supported
// (null for any other type).
SAFEARRAY* SafeArrayCreateVector(VARTYPE element_type, LONG lower_bound, ULONG count);
// DISP_E_ARRAYISLOCKED while the data is accessed; null is allowed.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// A deep copy into `*copy`.
HRESULT SafeArrayCopy(const SAFEARRAY* array, SAFEARRAY** copy);
UINT SafeArrayGetDim(const SAFEARRAY* array);
// Dimension 1 only (DISP_E_BADINDEX otherwise). An empty array has upper = lower - 1.
HRESULT SafeArrayGetLBound(const SAFEARRAY* array, UINT dimension, LONG* bound);
HRESULT SafeArrayGetUBound(const SAFEARRAY* array, UINT dimension, LONG* bound);
// Locks the array and lends its data; pair with SafeArrayUnaccessData.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);

// Owns one byte SAFEARRAY; moves, never copies by accident.
class SafeByteArray {
 public:
  SafeByteArray() = default;
  explicit SafeByteArray(ULONG count, LONG lower_bound = 0);
  explicit SafeByteArray(std::span<const BYTE> bytes);
  SafeByteArray(const SafeByteArray&) = delete;
  SafeByteArray& operator=(const SafeByteArray&) = delete;
  SafeByteArray(SafeByteArray&& other) noexcept;
  SafeByteArray& operator=(SafeByteArray&& other) noexcept;
  ~SafeByteArray();

  // Takes ownership of `array`.
  static SafeByteArray Attach(SAFEARRAY* array);
  SAFEARRAY* Detach();
  SAFEARRAY* Get() const { return array_; }
  // For out parameters: destroys what is held and lends the slot.
  SAFEARRAY** GetAddress();

  // The elements (empty when nothing is held).
  std::span<BYTE> Bytes();
  std::span<const BYTE> Bytes() const;
  ULONG Count() const { return static_cast<ULONG>(Bytes().size()); }

 private:
  SAFEARRAY* array_ = nullptr;
};

}  // namespace platform
