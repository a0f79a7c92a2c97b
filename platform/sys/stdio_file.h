#pragma once

// The framework's buffered file with line reading. Opened without typeBinary it is a text
// file: "\r\n" reads as "\n" and "\n" is written as "\r\n".

#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/file.h"

namespace platform {

class CStdioFile : public CFile {
 public:
  CStdioFile() = default;
  // Opens the file; throws CFileException when it cannot.
  CStdioFile(std::string_view file_name, UINT open_flags);

  BOOL Open(std::string_view file_name, UINT open_flags, CFileException* error = nullptr) override;
  void Close() override;
  void Abort() override;
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  ULONGLONG GetPosition() const override;

  // Reads at most max-1 characters, stopping after a line feed (which is kept), and terminates
  // them. Null when the file ended before any character was read.
  char* ReadString(char* buffer, UINT max);
  // The next line without its line feed. FALSE when the file ended before any character.
  BOOL ReadString(std::string& line);
  void WriteString(std::string_view text);

 private:
  static constexpr int kEnd = -1;

  // The next character (a translated line break in a text file), or kEnd.
  int TakeChar();
  int TakeByte();
  int PeekByte();
  bool Refill();
  // Moves the file position back over what was read ahead and not taken.
  void DropReadAhead();
  std::size_t ReadAheadLeft() const { return read_ahead_.size() - read_next_; }

  std::vector<char> read_ahead_;
  std::size_t read_next_ = 0;
  bool text_ = true;
};

}  // namespace platform
