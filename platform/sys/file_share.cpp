#include "platform/sys/file_share.h"

#include "platform/sys/lock_markers.h"

namespace platform {

namespace {

enum Marker : int { kReading, kWriting, kDenyingRead, kDenyingWrite };

}  // namespace

bool TryShareFile(int lock_fd, const FileShare& share) {
  const bool clash = (share.read && MarkerHeldElsewhere(lock_fd, kDenyingRead)) ||
                     (share.write && MarkerHeldElsewhere(lock_fd, kDenyingWrite)) ||
                     (share.deny_read && MarkerHeldElsewhere(lock_fd, kReading)) ||
                     (share.deny_write && MarkerHeldElsewhere(lock_fd, kWriting));
  if (clash) return false;
  // A file system without these locks cannot enforce sharing; the open goes ahead.
  if (share.read) HoldMarker(lock_fd, kReading);
  if (share.write) HoldMarker(lock_fd, kWriting);
  if (share.deny_read) HoldMarker(lock_fd, kDenyingRead);
  if (share.deny_write) HoldMarker(lock_fd, kDenyingWrite);
  return true;
}

bool FileInUse(int lock_fd) {
  return MarkerHeldElsewhere(lock_fd, kReading) || MarkerHeldElsewhere(lock_fd, kWriting);
}

}  // namespace platform
