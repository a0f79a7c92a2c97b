#include "platform/ui/headless/transcript.h"

#include <cerrno>
#include <cstring>

namespace platform {

std::unique_ptr<Transcript> Transcript::Open(const std::string& path, std::string& error) {
  if (path.empty()) {
    return std::unique_ptr<Transcript>(new Transcript(nullptr));
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
  if (!file) {
    error = "cannot write the transcript " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<Transcript>(new Transcript(std::move(file)));
}

Transcript::Transcript(std::unique_ptr<std::FILE, FileCloser> file)
    : owned_(std::move(file)), out_(owned_ ? owned_.get() : stdout) {}

void Transcript::Write(std::string_view line) {
  const std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace platform
