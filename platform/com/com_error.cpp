#include "platform/com/com_error.h"

namespace platform {

_com_error::_com_error(HRESULT hr, const IID& interface_id)
    : hr_(hr), interface_id_(interface_id), message_(DescribeHResult(hr)) {}

HRESULT ThrowIfFailed(HRESULT hr, const IID& interface_id) {
  if (FAILED(hr)) {
    throw _com_error(hr, interface_id);
  }
  return hr;
}

}  // namespace platform
