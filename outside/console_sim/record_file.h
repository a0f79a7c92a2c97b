#pragma once

// The file the consoles of one scenario append their record lines to.

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string_view>

namespace outside::console_sim {

class RecordFile {
 public:
  // Creates the file when it does not exist; throws std::runtime_error when it cannot be opened.
  explicit RecordFile(const std::filesystem::path& path);

  // Appends the line and a line feed, and flushes, so the file is whole whenever it is read.
  void Append(std::string_view line);

 private:
  std::mutex mutex_;
  std::ofstream file_;
};

}  // namespace outside::console_sim
