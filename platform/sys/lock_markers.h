#pragma once

// Markers that every process sees. A marker stands for a fact about whoever holds it ("has the
// file open for reading", "holds the mutex") and is a shared byte-range lock far beyond any
// file's end, owned by one open descriptor: the kernel drops it when that descriptor is closed
// or its process ends. Locks of this kind belong to the open descriptor, not the process, so two
// descriptors of one process see each other's markers too.

namespace platform {

// Holds an exclusive lock of another kind on the whole file for its lifetime, so that testing
// and taking markers is one step for everyone who does it under the guard. It is held only
// for a few system calls.
class MarkerGuard {
 public:
  explicit MarkerGuard(int fd);
  MarkerGuard(const MarkerGuard&) = delete;
  MarkerGuard& operator=(const MarkerGuard&) = delete;
  ~MarkerGuard();

 private:
  int fd_;
  bool locked_;
};

// True when a descriptor other than `fd`, in any process, holds the marker.
bool MarkerHeldElsewhere(int fd, int marker);
// Takes the marker for `fd`. False when the file system keeps no such locks.
bool HoldMarker(int fd, int marker);

}  // namespace platform
