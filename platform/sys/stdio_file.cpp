#include "platform/sys/stdio_file.h"

namespace platform {

namespace {

constexpr UINT kReadAheadSize = 4096;

}  // namespace

CStdioFile::CStdioFile(std::string_view file_name, UINT open_flags) {
  CFileException error;
  if (!CStdioFile::Open(file_name, open_flags, &error)) throw error;
}

BOOL CStdioFile::Open(std::string_view file_name, UINT open_flags, CFileException* error) {
  read_ahead_.clear();
  read_next_ = 0;
  text_ = (open_flags & typeBinary) == 0;
  return CFile::Open(file_name, open_flags, error);
}

void CStdioFile::Close() {
  read_ahead_.clear();
  read_next_ = 0;
  CFile::Close();
}

void CStdioFile::Abort() {
  read_ahead_.clear();
  read_next_ = 0;
  CFile::Abort();
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  if (buffer == nullptr && count > 0) throw CInvalidArgException();
  auto* bytes = static_cast<char*>(buffer);
  UINT done = 0;
  for (int c = 0; done < count && (c = TakeChar()) != kEnd; ++done) {
    bytes[done] = static_cast<char>(c);
  }
  return done;
}

void CStdioFile::Write(const void* buffer, UINT count) {
  if (buffer == nullptr && count > 0) throw CInvalidArgException();
  WriteString(std::string_view(static_cast<const char*>(buffer), count));
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
  DropReadAhead();
  return SeekRaw(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const { return CFile::GetPosition() - ReadAheadLeft(); }

char* CStdioFile::ReadString(char* buffer, UINT max) {
  if (buffer == nullptr || max == 0) throw CInvalidArgException();
  UINT count = 0;
  bool ended = false;
  while (count + 1 < max) {
    const int c = TakeChar();
    if (c == kEnd) {
      ended = true;
      break;
    }
    buffer[count++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[count] = '\0';
  return ended && count == 0 ? nullptr : buffer;
}

BOOL CStdioFile::ReadString(std::string& line) {
  line.clear();
  for (int c = TakeChar(); c != kEnd; c = TakeChar()) {
    if (c == '\n') return TRUE;
    line += static_cast<char>(c);
  }
  return line.empty() ? FALSE : TRUE;
}

void CStdioFile::WriteString(std::string_view text) {
  DropReadAhead();
  if (!text_) {
    WriteRaw(text.data(), text.size());
    return;
  }
  std::string translated;
  translated.reserve(text.size());
  for (const char c : text) {
    if (c == '\n') translated += '\r';
    translated += c;
  }
  WriteRaw(translated.data(), translated.size());
}

int CStdioFile::TakeChar() {
  const int c = TakeByte();
  if (text_ && c == '\r' && PeekByte() == '\n') return TakeByte();
  return c;
}

int CStdioFile::TakeByte() {
  const int c = PeekByte();
  if (c != kEnd) ++read_next_;
  return c;
}

int CStdioFile::PeekByte() {
  if (ReadAheadLeft() == 0 && !Refill()) return kEnd;
  return static_cast<unsigned char>(read_ahead_[read_next_]);
}

bool CStdioFile::Refill() {
  read_ahead_.resize(kReadAheadSize);
  read_ahead_.resize(ReadRaw(read_ahead_.data(), kReadAheadSize));
  read_next_ = 0;
  return !read_ahead_.empty();
}

void CStdioFile::DropReadAhead() {
  const std::size_t left = ReadAheadLeft();
  read_ahead_.clear();
  read_next_ = 0;
  if (left > 0) SeekRaw(-static_cast<LONGLONG>(left), current);
}

}  // namespace platform
