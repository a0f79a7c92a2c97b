#pragma once

// Where the headless backend writes what the program shows: a file or standard output, one
// line per event, each line complete and flushed before the next (the process may end at any
// moment).

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {

class Transcript {
 public:
  // An empty path writes to standard output. Null, with `error` set, when the file cannot be
  // opened.
  static std::unique_ptr<Transcript> Open(const std::string& path, std::string& error);

  // Any thread.
  void Write(std::string_view line);

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  explicit Transcript(std::unique_ptr<std::FILE, FileCloser> file);

  std::mutex mutex_;
  std::unique_ptr<std::FILE, FileCloser> owned_;
  std::FILE* out_;
};

}  // namespace platform
