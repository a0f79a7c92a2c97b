#include "outside/console_sim/record_file.h"

#include <stdexcept>
#include <string>

namespace outside::console_sim {

RecordFile::RecordFile(const std::filesystem::path& path)
    : file_(path, std::ios::app | std::ios::binary) {
  if (!file_) {
    throw std::runtime_error("record file \"" + path.string() + "\" cannot be opened for writing");
  }
}

void RecordFile::Append(std::string_view line) {
  std::lock_guard lock(mutex_);
  file_ << line << '\n';
  file_.flush();
}

}  // namespace outside::console_sim
