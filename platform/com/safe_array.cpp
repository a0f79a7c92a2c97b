#include "platform/com/safe_array.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace platform {

namespace {

constexpr UINT kOnlyDimension = 1;

HRESULT CheckDimension(const SAFEARRAY* array, UINT dimension) {
  if (array == nullptr) {
    return E_INVALIDARG;
  }
  return dimension == kOnlyDimension ? S_OK : DISP_E_BADINDEX;
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE element_type, LONG lower_bound, ULONG count) {
  if (element_type != VT_UI1) {
    return nullptr;
  }
  auto array = std::make_unique<SAFEARRAY>();
  array->element_type = element_type;
  array->lower_bound = lower_bound;
  array->data.resize(count);
  return array.release();
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) {
    return S_OK;
  }
  if (array->locks > 0) {
    return DISP_E_ARRAYISLOCKED;
  }
  delete array;
  return S_OK;
}

HRESULT SafeArrayCopy(const SAFEARRAY* array, SAFEARRAY** copy) {
  if (copy == nullptr) {
    return E_POINTER;
  }
  *copy = nullptr;
  if (array == nullptr) {
    return S_OK;
  }
  auto duplicate = std::make_unique<SAFEARRAY>(*array);
  duplicate->locks = 0;
  *copy = duplicate.release();
  return S_OK;
}

UINT SafeArrayGetDim(const SAFEARRAY* array) { return array == nullptr ? 0 : kOnlyDimension; }

HRESULT SafeArrayGetLBound(const SAFEARRAY* array, UINT dimension, LONG* bound) {
  if (bound == nullptr) {
    return E_POINTER;
  }
  const HRESULT hr = CheckDimension(array, dimension);
  if (SUCCEEDED(hr)) {
    *bound = array->lower_bound;
  }
  return hr;
}

HRESULT SafeArrayGetUBound(const SAFEARRAY* array, UINT dimension, LONG* bound) {
  if (bound == nullptr) {
    return E_POINTER;
  }
  const HRESULT hr = CheckDimension(array, dimension);
  if (SUCCEEDED(hr)) {
    *bound = array->lower_bound + static_cast<LONG>(array->data.size()) - 1;
  }
  return hr;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) {
    return E_INVALIDARG;
  }
  ++array->locks;
  *data = array->data.data();
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (array == nullptr || array->locks == 0) {
    return E_UNEXPECTED;
  }
  --array->locks;
  return S_OK;
}

SafeByteArray::SafeByteArray(ULONG count, LONG lower_bound)
    : array_(SafeArrayCreateVector(VT_UI1, lower_bound, count)) {}

SafeByteArray::SafeByteArray(std::span<const BYTE> bytes)
    : SafeByteArray(static_cast<ULONG>(bytes.size())) {
  std::copy(bytes.begin(), bytes.end(), array_->data.begin());
}

SafeByteArray::SafeByteArray(SafeByteArray&& other) noexcept
    : array_(std::exchange(other.array_, nullptr)) {}

SafeByteArray& SafeByteArray::operator=(SafeByteArray&& other) noexcept {
  std::swap(array_, other.array_);
  return *this;
}

SafeByteArray::~SafeByteArray() { SafeArrayDestroy(array_); }

SafeByteArray SafeByteArray::Attach(SAFEARRAY* array) {
  SafeByteArray owner;
  owner.array_ = array;
  return owner;
}

SAFEARRAY* SafeByteArray::Detach() { return std::exchange(array_, nullptr); }

SAFEARRAY** SafeByteArray::GetAddress() {
  SafeArrayDestroy(std::exchange(array_, nullptr));
  return &array_;
}

std::span<BYTE> SafeByteArray::Bytes() {
  return array_ == nullptr ? std::span<BYTE>() : std::span<BYTE>(array_->data);
}

std::span<const BYTE> SafeByteArray::Bytes() const {
  return array_ == nullptr ? std::span<const BYTE>() : std::span<const BYTE>(array_->data);
}

}  // namespace platform
