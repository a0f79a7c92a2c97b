#pragma once

// printf-style formatting into a string of whatever length the text needs (the framework's
// string formatting).

#include <cstdarg>
#include <cstdio>
#include <string>

namespace platform {

[[gnu::format(printf, 1, 2)]] inline std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list measure;
  va_copy(measure, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
  }
  va_end(arguments);
  return text;
}

}  // namespace platform
