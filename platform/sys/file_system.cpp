#include "platform/sys/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "platform/sys/file_errors.h"
#include "platform/sys/file_share.h"
#include "platform/sys/last_error.h"
#include "platform/sys/lock_markers.h"
#include "platform/sys/path_mapping.h"
#include "platform/sys/unique_fd.h"

namespace platform {

namespace {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

BOOL DeleteFileA(const char* file_name) {
  if (file_name == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::string host = MapPath(file_name).string();
  struct stat status {};
  if (::lstat(host.c_str(), &status) != 0) return Fail(FileErrorFromErrno(errno, host.c_str()));
  if (S_ISDIR(status.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  const UniqueFd share(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  std::optional<MarkerGuard> guard;
  if (share.IsOpen()) {
    guard.emplace(share.Get());
    if (FileInUse(share.Get())) return Fail(ERROR_SHARING_VIOLATION);
  }
  if (::unlink(host.c_str()) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

DWORD GetFileAttributesA(const char* file_name) {
  if (file_name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  const std::string host = MapPath(file_name).string();
  struct stat status {};
  if (::stat(host.c_str(), &status) != 0) {
    SetLastError(FileErrorFromErrno(errno, host.c_str()));
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace platform
