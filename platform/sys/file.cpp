#include "platform/sys/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sys/file_errors.h"
#include "platform/sys/file_share.h"
#include "platform/sys/file_system.h"
#include "platform/sys/last_error.h"
#include "platform/sys/lock_markers.h"
#include "platform/sys/path_mapping.h"

namespace platform {

namespace {

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;
constexpr mode_t kNewFileMode = 0666;

int AccessFlags(UINT open_flags) {
  switch (open_flags & kAccessMask) {
    case CFile::modeWrite:
      return O_WRONLY;
    case CFile::modeReadWrite:
      return O_RDWR;
    default:
      return O_RDONLY;
  }
}

FileShare ShareOf(UINT open_flags) {
  FileShare share;
  const UINT access = open_flags & kAccessMask;
  share.read = access != CFile::modeWrite;
  share.write = access != CFile::modeRead;
  switch (open_flags & kShareMask) {
    case CFile::shareDenyNone:
      break;
    case CFile::shareDenyRead:
      share.deny_read = true;
      break;
    case CFile::shareDenyWrite:
      share.deny_write = true;
      break;
    default:
      share.deny_read = true;
      share.deny_write = true;
      break;
  }
  return share;
}

int Whence(UINT from) {
  switch (from) {
    case CFile::begin:
      return SEEK_SET;
    case CFile::current:
      return SEEK_CUR;
    case CFile::end:
      return SEEK_END;
    default:
      throw CInvalidArgException();
  }
}

}  // namespace

CFile::CFile(std::string_view file_name, UINT open_flags) {
  CFileException error;
  if (!CFile::Open(file_name, open_flags, &error)) throw error;
}

BOOL CFile::Open(std::string_view file_name, UINT open_flags, CFileException* error) {
  Abort();
  file_path_ = file_name;
  const DWORD failure = OpenHandle(MapPath(file_name).string(), open_flags);
  if (failure != ERROR_SUCCESS) {
    SetLastError(failure);
    if (error != nullptr) *error = MakeFileException(failure, file_name);
    return FALSE;
  }
  return TRUE;
}

DWORD CFile::OpenHandle(const std::string& host_path, UINT open_flags) {
  const int access = AccessFlags(open_flags);
  const bool create = (open_flags & modeCreate) != 0;
  UniqueFd data(
      ::open(host_path.c_str(), access | O_CLOEXEC | (create ? O_CREAT : 0), kNewFileMode));
  if (!data.IsOpen()) return FileErrorFromErrno(errno, host_path.c_str());
  struct stat status {};
  if (::fstat(data.Get(), &status) != 0) return ErrorFromErrno(errno);
  if (S_ISDIR(status.st_mode)) return ERROR_ACCESS_DENIED;

  // A file this user may not read carries no markers: its sharing is not enforced.
  UniqueFd share(::open(host_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (share.IsOpen()) {
    MarkerGuard guard(share.Get());
    if (!TryShareFile(share.Get(), ShareOf(open_flags))) return ERROR_SHARING_VIOLATION;
  }
  if (create && (open_flags & modeNoTruncate) == 0) {
    const int result =
        access == O_RDONLY ? ::truncate(host_path.c_str(), 0) : ::ftruncate(data.Get(), 0);
    if (result != 0) return ErrorFromErrno(errno);
  }
  share_ = std::move(share);
  data_ = std::move(data);
  readable_ = access != O_WRONLY;
  writable_ = access != O_RDONLY;
  return ERROR_SUCCESS;
}

void CFile::Close() {
  if (!IsOpen()) return;
  const int result = ::close(data_.Release());
  const int close_errno = errno;
  share_.Reset();
  readable_ = false;
  writable_ = false;
  if (result != 0) ThrowError(ErrorFromErrno(close_errno));
}

void CFile::Abort() {
  data_.Reset();
  share_.Reset();
  readable_ = false;
  writable_ = false;
}

UINT CFile::Read(void* buffer, UINT count) { return ReadRaw(buffer, count); }

void CFile::Write(const void* buffer, UINT count) { WriteRaw(buffer, count); }

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) { return SeekRaw(offset, from); }

ULONGLONG CFile::GetPosition() const {
  RequireOpen();
  const off_t position = ::lseek(data_.Get(), 0, SEEK_CUR);
  if (position < 0) ThrowErrno();
  return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetLength() const {
  RequireOpen();
  struct stat status {};
  if (::fstat(data_.Get(), &status) != 0) ThrowErrno();
  return static_cast<ULONGLONG>(status.st_size);
}

std::string CFile::GetFileName() const {
  const std::size_t last = file_path_.find_last_of("\\/");
  return last == std::string::npos ? file_path_ : file_path_.substr(last + 1);
}

void CFile::Remove(std::string_view file_name) {
  if (!DeleteFileA(std::string(file_name).c_str())) {
    throw MakeFileException(GetLastError(), file_name);
  }
}

UINT CFile::ReadRaw(void* buffer, UINT count) {
  RequireOpen();
  if (!readable_) ThrowError(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && count > 0) throw CInvalidArgException();
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(data_.Get(), bytes + done, count - done);
    if (got == 0) break;
    if (got > 0) {
      done += static_cast<std::size_t>(got);
    } else if (errno != EINTR) {
      ThrowErrno();
    }
  }
  return static_cast<UINT>(done);
}

void CFile::WriteRaw(const void* buffer, std::size_t count) {
  RequireOpen();
  if (!writable_) ThrowError(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && count > 0) throw CInvalidArgException();
  const auto* bytes = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t put = ::write(data_.Get(), bytes + done, count - done);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
    } else if (put == 0) {
      ThrowError(ERROR_DISK_FULL);
    } else if (errno != EINTR) {
      ThrowErrno();
    }
  }
}

ULONGLONG CFile::SeekRaw(LONGLONG offset, UINT from) {
  RequireOpen();
  const off_t position = ::lseek(data_.Get(), offset, Whence(from));
  if (position < 0) ThrowError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno));
  return static_cast<ULONGLONG>(position);
}

void CFile::RequireOpen() const {
  if (!IsOpen()) ThrowError(ERROR_INVALID_HANDLE);
}

void CFile::ThrowError(DWORD error) const {
  SetLastError(error);
  throw MakeFileException(error, file_path_);
}

void CFile::ThrowErrno() const { ThrowError(ErrorFromErrno(errno)); }

}  // namespace platform
