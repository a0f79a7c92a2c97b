#pragma once

// Reads values of the program's settings file (an INI file) through the profile-string
// functions. Missing keys, sections and files read as empty.

#include <optional>
#include <string>

class CSettingsFile {
 public:
  void SetFileName(const std::string& path);
  const std::string& GetFileName() const { return m_strFileName; }

  // At most kValueBufferSize - 1 characters of the value; empty when it is missing.
  std::string ReadValue(const std::string& key, const std::string& section) const;
  // True when the section holds at least one key.
  bool SectionExists(const std::string& section) const;

  static constexpr unsigned kValueBufferSize = 255;
  static constexpr unsigned kKeyListBufferSize = 90;

 private:
  std::string m_strFileName;
};

inline constexpr unsigned kWindowsDirBufferSize = 100;

// Path of the settings file: the Windows directory followed by "\Corvik\CorvikUpgrade.ini".
// Nothing when the Windows directory cannot be determined or does not fit its buffer of
// kWindowsDirBufferSize characters.
std::optional<std::string> SettingsFilePath();
