// A second process for the tests of named mutexes and file sharing. It reports one line:
//   sys_probe mutex <name> [hold]                  created | exists | failed
//   sys_probe open <path> exclusive|shared [hold]  opened | sharing-violation | failed
// With "hold" it keeps what it got until its standard input ends.

#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "platform/sys/file.h"
#include "platform/sys/last_error.h"
#include "platform/sys/named_mutex.h"

namespace {

void Report(const char* word) {
  std::printf("%s\n", word);
  std::fflush(stdout);
}

void WaitForEndOfInput() {
  char c = 0;
  while (::read(STDIN_FILENO, &c, 1) > 0) {
  }
}

int Usage() {
  Report("usage");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int kWithObject = 3;
  if (argc < kWithObject) return Usage();
  const std::string_view command = argv[1];
  const bool hold = std::string_view(argv[argc - 1]) == "hold";

  if (command == "mutex") {
    const platform::NamedMutex mutex = platform::CreateMutexA(nullptr, platform::TRUE, argv[2]);
    const bool exists = platform::GetLastError() == platform::ERROR_ALREADY_EXISTS;
    Report(!mutex ? "failed" : exists ? "exists" : "created");
    if (hold) WaitForEndOfInput();
    return 0;
  }
  if (command == "open" && argc > kWithObject) {
    const bool exclusive = std::string_view(argv[3]) == "exclusive";
    platform::CFile file;
    platform::CFileException error;
    const platform::UINT flags =
        platform::CFile::modeRead |
        (exclusive ? platform::CFile::shareExclusive : platform::CFile::shareDenyNone);
    if (file.Open(argv[2], flags, &error)) {
      Report("opened");
    } else {
      Report(error.m_cause == platform::CFileException::sharingViolation ? "sharing-violation"
                                                                         : "failed");
    }
    if (hold) WaitForEndOfInput();
    return 0;
  }
  return Usage();
}
