#pragma once

// A test's own folder for drive C: (TESSALY_ROOT), removed afterwards, and scoped environment
// variables.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::testing {

// Sets (or, with nullptr, unsets) a variable and puts the old value back at the end.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    Set(value);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() { Set(saved_ ? saved_->c_str() : nullptr); }

 private:
  void Set(const char* value) {
    if (value == nullptr) {
      ::unsetenv(name_.c_str());
    } else {
      ::setenv(name_.c_str(), value, 1);
    }
  }

  std::string name_;
  std::optional<std::string> saved_;
};

class TempRoot {
 public:
  TempRoot() : path_(MakeFolder()), root_("TESSALY_ROOT", path_.c_str()) {}
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;
  ~TempRoot() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }

  const std::filesystem::path& Path() const { return path_; }

  // Writes `content` to a file below the root, making its folders; returns its host path.
  std::filesystem::path Write(const std::filesystem::path& relative,
                              std::string_view content) const {
    std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

  std::string Read(const std::filesystem::path& relative) const {
    std::ifstream stream(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
  }

 private:
  static std::filesystem::path MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-sys-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    return pattern;
  }

  std::filesystem::path path_;
  ScopedVariable root_;
  // Overrides of single folders would lead the tests away from their root.
  ScopedVariable windows_{"TESSALY_WINDOWS_DIR", nullptr};
  ScopedVariable program_files_{"TESSALY_PROGRAM_FILES_DIR", nullptr};
  ScopedVariable app_data_{"TESSALY_APPDATA_DIR", nullptr};
  ScopedVariable registry_{"TESSALY_REGISTRY_DIR", nullptr};
};

}  // namespace platform::testing
