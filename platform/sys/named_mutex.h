#pragma once

// Named mutexes that other processes see: the name exists while any process holds a handle
// of it, and a process that ends (or dies) lets go of its handles.

#include <utility>

#include "platform/sys/unique_fd.h"
#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD MUTEX_MODIFY_STATE = 0x0001;

// A handle of a mutex; closing or destroying it lets go of the name.
class NamedMutex {
 public:
  NamedMutex() = default;
  NamedMutex(NamedMutex&&) noexcept = default;
  NamedMutex& operator=(NamedMutex&&) noexcept = default;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  ~NamedMutex() = default;

  explicit operator bool() const { return valid_; }
  void Close();

 private:
  friend NamedMutex CreateMutexA(const void*, BOOL, const char*);
  friend NamedMutex OpenMutexA(DWORD, BOOL, const char*);
  NamedMutex(UniqueFd name_file, bool valid) : name_file_(std::move(name_file)), valid_(valid) {}

  UniqueFd name_file_;  // carries the "held" marker of a named mutex
  bool valid_ = false;
};

// A handle of the mutex `name`, made when no process has one. GetLastError() then tells
// ERROR_ALREADY_EXISTS from ERROR_SUCCESS. Ownership only matters to waiters, and no code here
// waits on a mutex, so `initial_owner` has no effect. A null or empty name gives a mutex of
// its own. An empty handle (with the error in GetLastError()) when the name cannot be kept.
NamedMutex CreateMutexA(const void* security, BOOL initial_owner, const char* name);
// A handle of the existing mutex `name`; an empty handle and ERROR_FILE_NOT_FOUND when no
// process holds one.
NamedMutex OpenMutexA(DWORD desired_access, BOOL inherit, const char* name);

}  // namespace platform
