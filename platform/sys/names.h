#pragma once

// Names of settings sections, keys and registry entries compare without regard to case.

#include <algorithm>
#include <cctype>
#include <string_view>

namespace platform {

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace platform
