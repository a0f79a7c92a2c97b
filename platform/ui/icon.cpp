#include "platform/ui/icon.h"

#include <cstdint>

namespace platform {

HICON LoadIcon(UINT resource_id) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the handle is a number, never dereferenced
  return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(resource_id));
}

UINT IconResourceId(HICON icon) {
  return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(icon));
}

}  // namespace platform
