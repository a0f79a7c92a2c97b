#include "platform/sys/folders.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/sys/last_error.h"
#include "platform/sys/path_mapping.h"

namespace platform {

namespace {

DWORD CopyFolder(const std::string& folder, char* buffer, DWORD size) {
  if (buffer != nullptr && folder.size() < size) {
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<DWORD>(folder.size());
  }
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  return static_cast<DWORD>(folder.size() + 1);
}

std::optional<SystemLocation> LocationOf(int csidl) {
  switch (csidl) {
    case CSIDL_APPDATA:
      return SystemLocation::kAppData;
    case CSIDL_WINDOWS:
      return SystemLocation::kWindows;
    case CSIDL_PROGRAM_FILES:
      return SystemLocation::kProgramFiles;
    default:
      return std::nullopt;
  }
}

}  // namespace

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
  return CopyFolder(WindowsPathOf(HostPathOf(SystemLocation::kWindows)), buffer, size);
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (error) {
    SetLastError(ErrorFromErrno(error.value()));
    return 0;
  }
  return CopyFolder(WindowsPathOf(current), buffer, size);
}

BOOL SHGetSpecialFolderPathA(HWND /*owner*/, char* path, int csidl, BOOL create) {
  const std::optional<SystemLocation> location = LocationOf(csidl);
  if (!location || path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::filesystem::path host = HostPathOf(*location);
  if (create != FALSE) {
    std::error_code error;
    std::filesystem::create_directories(host, error);
    if (error) {
      SetLastError(ErrorFromErrno(error.value()));
      return FALSE;
    }
  }
  const std::string folder = WindowsPathOf(host);
  if (folder.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  CopyFolder(folder, path, MAX_PATH);
  return TRUE;
}

}  // namespace platform
