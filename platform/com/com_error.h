#pragma once

// The exception a failed component call raises on the caller's side. It is deliberately not a
// std::exception, so handlers written for the framework's own exceptions do not swallow it.

#include <string>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace platform {

class _com_error {
 public:
  explicit _com_error(HRESULT hr, const IID& interface_id = GUID_NULL);

  HRESULT Error() const { return hr_; }
  // The interface whose call failed; GUID_NULL when not known.
  const IID& InterfaceId() const { return interface_id_; }
  // A readable text naming the code, e.g. "REGDB_E_CLASSNOTREG (0x80040154): class not
  // registered".
  const char* ErrorMessage() const { return message_.c_str(); }

 private:
  HRESULT hr_;
  IID interface_id_;
  std::string message_;
};

// The thin check that wrapper methods put around each call: a result below zero is raised,
// any other result is handed back.
HRESULT ThrowIfFailed(HRESULT hr, const IID& interface_id = GUID_NULL);

}  // namespace platform
