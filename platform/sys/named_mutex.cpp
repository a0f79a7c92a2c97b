#include "platform/sys/named_mutex.h"

#include <fcntl.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/sys/last_error.h"
#include "platform/sys/lock_markers.h"
#include "platform/sys/path_mapping.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr int kHeldMarker = 0;
constexpr mode_t kNameFileMode = 0644;

// One file per name under the root, so that mutexes of different roots never meet.
fs::path NameFile(std::string_view name) {
  std::string file_name;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '-' || c == '_') {
      file_name += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      file_name += escaped;
    }
  }
  return TessalyRoot() / ".tessaly" / "mutex" / file_name;
}

bool IsUnnamed(const char* name) { return name == nullptr || *name == '\0'; }

}  // namespace

void NamedMutex::Close() {
  name_file_.Reset();
  valid_ = false;
}

NamedMutex CreateMutexA(const void* /*security*/, BOOL /*initial_owner*/, const char* name) {
  SetLastError(ERROR_SUCCESS);
  if (IsUnnamed(name)) return NamedMutex(UniqueFd(), true);
  const fs::path file = NameFile(name);
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kNameFileMode));
  if (!fd.IsOpen()) {
    SetLastError(ErrorFromErrno(errno));
    return {};
  }
  MarkerGuard guard(fd.Get());
  const bool exists = MarkerHeldElsewhere(fd.Get(), kHeldMarker);
  if (!HoldMarker(fd.Get(), kHeldMarker)) {
    SetLastError(ErrorFromErrno(errno));
    return {};
  }
  SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return NamedMutex(std::move(fd), true);
}

NamedMutex OpenMutexA(DWORD /*desired_access*/, BOOL /*inherit*/, const char* name) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  if (IsUnnamed(name)) return {};
  UniqueFd fd(::open(NameFile(name).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.IsOpen()) return {};
  MarkerGuard guard(fd.Get());
  if (!MarkerHeldElsewhere(fd.Get(), kHeldMarker) || !HoldMarker(fd.Get(), kHeldMarker)) {
    return {};
  }
  SetLastError(ERROR_SUCCESS);
  return NamedMutex(std::move(fd), true);
}

}  // namespace platform
