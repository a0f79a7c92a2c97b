#pragma once

// The framework's file: open with mode and sharing flags, read, write, seek. Failures of an
// operation on an open file throw CFileException; Open reports its failure instead.
// File names are program paths (path_mapping.h).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/sys/unique_fd.h"
#include "platform/win_types.h"

namespace platform {

using ULONGLONG = std::uint64_t;
using LONGLONG = std::int64_t;

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    // Without a share flag nobody else may open the file, as with shareExclusive.
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

  CFile() = default;
  // Opens the file; throws CFileException when it cannot.
  CFile(std::string_view file_name, UINT open_flags);
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  // Closes the file; errors are not reported.
  virtual ~CFile() = default;

  // modeCreate makes the file when it is missing and empties it unless modeNoTruncate is
  // given; it is emptied only once the sharing check has passed. A folder cannot be opened.
  // On failure returns FALSE and, when `error` is given, fills it.
  virtual BOOL Open(std::string_view file_name, UINT open_flags, CFileException* error = nullptr);
  virtual void Close();
  // Closes without reporting errors.
  virtual void Abort();

  // Bytes read, fewer than `count` only at the end of the file.
  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);
  // Returns the new position; a position before the start throws (badSeek).
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  void SeekToBegin() { Seek(0, begin); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void Flush() {}

  bool IsOpen() const { return data_.IsOpen(); }
  // The name given to Open, and its last part.
  std::string GetFilePath() const { return file_path_; }
  std::string GetFileName() const;

  // Removes a file; throws CFileException when it cannot (also while a handle holds it open).
  static void Remove(std::string_view file_name);

 protected:
  UINT ReadRaw(void* buffer, UINT count);
  void WriteRaw(const void* buffer, std::size_t count);
  ULONGLONG SeekRaw(LONGLONG offset, UINT from);
  [[noreturn]] void ThrowError(DWORD error) const;
  [[noreturn]] void ThrowErrno() const;

 private:
  // ERROR_SUCCESS with the handle open, else the error.
  DWORD OpenHandle(const std::string& host_path, UINT open_flags);
  void RequireOpen() const;

  UniqueFd share_;  // carries this handle's sharing markers; let go after the data is closed
  UniqueFd data_;
  std::string file_path_;
  bool readable_ = false;
  bool writable_ = false;
};

}  // namespace platform
