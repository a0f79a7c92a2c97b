// The settings ("profile") file reader: section lists, key lists and values of any file, read
// into buffers of several sizes; every answer stays inside its buffer and is terminated.

#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/sys/profile.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// The sizes the program reads with (values, key lists) and two small ones.
constexpr std::array<platform::DWORD, 4> kBufferSizes = {1, 3, 90, 255};
constexpr platform::DWORD kLargest = kBufferSizes.back();
constexpr std::size_t kNamesQueried = 3;
constexpr std::size_t kGuard = 8;
constexpr char kGuardByte = 0x5A;

// The file the inputs are written to, in a folder of its own that goes at exit.
class ProfileFolder {
 public:
  ProfileFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fuzz::Broken("no temporary folder");
    folder_ = pattern;
    file_ = (folder_ / "settings.ini").string();
  }
  ProfileFolder(const ProfileFolder&) = delete;
  ProfileFolder& operator=(const ProfileFolder&) = delete;
  ~ProfileFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& File() const { return file_; }

 private:
  std::filesystem::path folder_;
  std::string file_;
};

const std::string& ProfileFile() {
  static const ProfileFolder folder;
  return folder.File();
}

// The answer for one query with `size` bytes of room; checks the room is kept.
std::string Query(const char* section, const char* key, platform::DWORD size) {
  std::vector<char> buffer(size + kGuard, kGuardByte);
  const platform::DWORD copied = platform::GetPrivateProfileStringA(
      section, key, "default", buffer.data(), size, ProfileFile().c_str());
  if (copied >= size) fuzz::Broken("answer fills the whole buffer");
  if (buffer[size] != kGuardByte) fuzz::Broken("write past the buffer");
  if (key != nullptr && buffer[copied] != '\0') fuzz::Broken("value not terminated");
  return std::string(buffer.data(), copied);
}

// The names of a list answer (each terminated, the list ended by an empty name).
std::vector<std::string> Names(const std::string& list) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = list.find('\0', start);
    names.push_back(list.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return names;
}

std::vector<std::string> First(std::vector<std::string> names) {
  if (names.size() > kNamesQueried) names.resize(kNamesQueried);
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream file(ProfileFile(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (const platform::DWORD room : kBufferSizes) Query(nullptr, nullptr, room);
  // Every query reads the file again: a few names of each list are enough.
  for (const std::string& section : First(Names(Query(nullptr, nullptr, kLargest)))) {
    for (const platform::DWORD room : kBufferSizes) Query(section.c_str(), nullptr, room);
    for (const std::string& key : First(Names(Query(section.c_str(), nullptr, kLargest)))) {
      for (const platform::DWORD room : kBufferSizes) Query(section.c_str(), key.c_str(), room);
    }
  }
  for (const char* section : {"DSP", "CPLD", "CVM", "APP_TYPE"}) {
    for (const char* key : {"FilePath", "FileVer", "Upgrade", "Composite", "MODE"}) {
      Query(section, key, kLargest);
    }
  }
  return 0;
}
