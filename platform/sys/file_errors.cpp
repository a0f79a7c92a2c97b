#include "platform/sys/file_errors.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/sys/last_error.h"

namespace platform {

int FileExceptionCause(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return CFileException::none;
    case ERROR_FILE_NOT_FOUND:
      return CFileException::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILENAME_EXCED_RANGE:
      return CFileException::badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
      return CFileException::tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
      return CFileException::accessDenied;
    case ERROR_INVALID_HANDLE:
      return CFileException::invalidFile;
    case ERROR_NEGATIVE_SEEK:
      return CFileException::badSeek;
    case ERROR_GEN_FAILURE:
      return CFileException::hardIO;
    case ERROR_SHARING_VIOLATION:
      return CFileException::sharingViolation;
    case ERROR_LOCK_VIOLATION:
      return CFileException::lockViolation;
    case ERROR_DISK_FULL:
      return CFileException::diskFull;
    default:
      return CFileException::genericException;
  }
}

CFileException MakeFileException(DWORD error, std::string_view file_name) {
  return CFileException(FileExceptionCause(error), static_cast<LONG>(error),
                        std::string(file_name));
}

DWORD FileErrorFromErrno(int error_number, const char* host_path) {
  if (error_number == ENOENT) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(host_path).parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, error)) {
      return ERROR_PATH_NOT_FOUND;
    }
  }
  return ErrorFromErrno(error_number);
}

}  // namespace platform
