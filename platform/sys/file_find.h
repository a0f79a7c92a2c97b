#pragma once

// The framework's file search: the entries of one folder whose names match a pattern with the
// wildcards '*' (any run of characters) and '?' (any one character). A name without wildcards
// finds that file or folder itself.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace platform {

class CFileFind {
 public:
  CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;
  ~CFileFind() = default;

  // Starts a search; FALSE (ERROR_FILE_NOT_FOUND) when nothing matches. The folder part of
  // the pattern is a program path; found names are given in name order.
  BOOL FindFile(std::string_view pattern = "*.*");
  // Moves to the next match (the first after FindFile). Returns FALSE when the match moved to
  // is the last one, or when there is none left.
  BOOL FindNextFile();
  void Close();

  // Of the current match.
  std::string GetFileName() const;
  // The pattern's folder part followed by the name.
  std::string GetFilePath() const;
  BOOL IsDirectory() const;

 private:
  struct Match {
    std::string name;
    bool directory = false;
  };

  std::string root_;  // the pattern up to and including its last separator
  std::vector<Match> matches_;
  std::size_t next_ = 0;  // one past the current match; 0 before the first
};

// True when `name` matches `pattern` ("*.*" matches every name).
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace platform
