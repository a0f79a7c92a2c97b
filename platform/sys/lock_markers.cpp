#include "platform/sys/lock_markers.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace platform {

namespace {

// Far beyond the end of any real file, so a marker never covers data.
constexpr off_t kMarkerBase = off_t{1} << 62;

struct flock MarkerRange(short type, int marker) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kMarkerBase + marker;
  range.l_len = 1;
  return range;
}

}  // namespace

MarkerGuard::MarkerGuard(int fd) : fd_(fd) {
  int result = 0;
  do {
    result = ::flock(fd_, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  locked_ = result == 0;
}

MarkerGuard::~MarkerGuard() {
  if (locked_) ::flock(fd_, LOCK_UN);
}

bool MarkerHeldElsewhere(int fd, int marker) {
  struct flock probe = MarkerRange(F_WRLCK, marker);
  if (::fcntl(fd, F_OFD_GETLK, &probe) != 0) return false;
  return probe.l_type != F_UNLCK;
}

bool HoldMarker(int fd, int marker) {
  struct flock lock = MarkerRange(F_RDLCK, marker);
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace platform
