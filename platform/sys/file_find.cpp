#include "platform/sys/file_find.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/sys/last_error.h"
#include "platform/sys/path_mapping.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kEveryName = "*.*";
constexpr std::string_view kWildcards = "*?";

// Length of the folder part of a pattern: up to its last separator, or its drive ("C:").
std::size_t RootLength(std::string_view pattern) {
  const std::size_t separator = pattern.find_last_of("\\/");
  if (separator != std::string_view::npos) return separator + 1;
  const bool drive = pattern.size() >= 2 && pattern[1] == ':';
  return drive ? 2 : 0;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern == kEveryName) return true;
  // Greedy match that returns to the last '*' when a later part fails.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

BOOL CFileFind::FindFile(std::string_view pattern) {
  Close();
  const std::size_t root_length = RootLength(pattern);
  root_ = pattern.substr(0, root_length);
  const std::string_view name_pattern = pattern.substr(root_length);
  const fs::path folder = root_.empty() ? fs::path(".") : MapPath(root_);
  std::error_code error;
  if (name_pattern.find_first_of(kWildcards) == std::string_view::npos) {
    const fs::file_status status = fs::status(folder / name_pattern, error);
    if (!name_pattern.empty() && fs::exists(status)) {
      matches_.push_back({std::string(name_pattern), fs::is_directory(status)});
    }
  } else {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      std::error_code entry_error;
      if (MatchesWildcard(name_pattern, name)) {
        matches_.push_back({name, entry.is_directory(entry_error)});
      }
    }
    std::sort(matches_.begin(), matches_.end(),
              [](const Match& a, const Match& b) { return a.name < b.name; });
  }
  if (matches_.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (next_ >= matches_.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  ++next_;
  return next_ < matches_.size() ? TRUE : FALSE;
}

void CFileFind::Close() {
  root_.clear();
  matches_.clear();
  next_ = 0;
}

std::string CFileFind::GetFileName() const {
  return next_ == 0 ? std::string() : matches_[next_ - 1].name;
}

std::string CFileFind::GetFilePath() const {
  return next_ == 0 ? std::string() : root_ + matches_[next_ - 1].name;
}

BOOL CFileFind::IsDirectory() const {
  return next_ != 0 && matches_[next_ - 1].directory ? TRUE : FALSE;
}

}  // namespace platform
