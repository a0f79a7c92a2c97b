#pragma once

// Sharing of files between open handles of this and other processes. A handle says what it
// does with the file (read, write) and what it denies to others; an open that clashes with a
// handle already open is refused, and so is removing a file that a handle holds open.
// Both take a descriptor of the file, opened for reading, that carries the handle's markers
// (lock_markers.h), and are called under a MarkerGuard of it.

namespace platform {

struct FileShare {
  bool read = false;
  bool write = false;
  bool deny_read = false;
  bool deny_write = false;
};

// Takes the handle's markers on `lock_fd` when no other handle clashes; false is a sharing
// violation.
bool TryShareFile(int lock_fd, const FileShare& share);

// True while any other descriptor holds the file open as a handle.
bool FileInUse(int lock_fd);

}  // namespace platform
