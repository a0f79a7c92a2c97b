#pragma once

// The framework's exception family. Handlers catch `CException` and name the handler in a
// message box; the file exception also says what went wrong and with which file.

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "platform/win_types.h"

namespace platform {

class CException : public std::exception {
 public:
  explicit CException(std::string message) : message_(std::move(message)) {}

  const char* what() const noexcept override { return message_.c_str(); }

  // Copies the message, cut to fit and always terminated. `help_context` gets 0.
  virtual BOOL GetErrorMessage(char* error, UINT max_error, UINT* help_context = nullptr) const {
    if (help_context != nullptr) *help_context = 0;
    if (error == nullptr || max_error == 0) return FALSE;
    const std::size_t count = std::min<std::size_t>(message_.size(), max_error - 1);
    std::memcpy(error, message_.data(), count);
    error[count] = '\0';
    return TRUE;
  }

 private:
  std::string message_;
};

class CInvalidArgException : public CException {
 public:
  CInvalidArgException() : CException("An invalid argument was encountered.") {}
};

class CMemoryException : public CException {
 public:
  CMemoryException() : CException("Out of memory.") {}
};

class CFileException : public CException {
 public:
  enum Cause : int {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
  };

  // `os_error` is the system error code behind the cause (-1 when there is none).
  explicit CFileException(int cause = none, LONG os_error = -1, std::string file_name = {})
      : CException(Describe(cause, file_name)),
        m_cause(cause),
        m_lOsError(os_error),
        m_strFileName(std::move(file_name)) {}

  int m_cause;
  LONG m_lOsError;
  std::string m_strFileName;

 private:
  static std::string Describe(int cause, const std::string& file_name) {
    const std::string file = file_name.empty() ? "an unnamed file" : file_name;
    switch (cause) {
      case none:
        return "No error occurred.";
      case fileNotFound:
        return file + " was not found.";
      case badPath:
        return "All or part of the path " + file + " is not valid.";
      case tooManyOpenFiles:
        return "Too many files are open to access " + file + ".";
      case accessDenied:
        return "Access to " + file + " was denied.";
      case invalidFile:
        return "A file handle that is not open was used with " + file + ".";
      case removeCurrentDir:
        return "The current folder cannot be removed.";
      case directoryFull:
        return "The folder of " + file + " is full.";
      case badSeek:
        return "The file position of " + file + " could not be set.";
      case hardIO:
        return "A hardware input/output error occurred while accessing " + file + ".";
      case sharingViolation:
        return "A sharing violation occurred while accessing " + file + ".";
      case lockViolation:
        return "A locking violation occurred while accessing " + file + ".";
      case diskFull:
        return "The disk is full while accessing " + file + ".";
      case endOfFile:
        return "An attempt was made to access " + file + " past its end.";
      default:
        return "An unspecified error occurred while accessing " + file + ".";
    }
  }
};

}  // namespace platform
