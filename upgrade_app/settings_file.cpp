#include "upgrade_app/settings_file.h"

#include <array>

#include "platform/sys/folders.h"
#include "platform/sys/profile.h"

namespace {

constexpr char kSettingsFileBelowWindows[] = "\\Corvik\\CorvikUpgrade.ini";

}  // namespace

void CSettingsFile::SetFileName(const std::string& path) { m_strFileName = path; }

std::string CSettingsFile::ReadValue(const std::string& key, const std::string& section) const {
  std::array<char, kValueBufferSize> buffer{};
  platform::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                     kValueBufferSize, m_strFileName.c_str());
  return buffer.data();
}

bool CSettingsFile::SectionExists(const std::string& section) const {
  std::array<char, kKeyListBufferSize> buffer{};
  const platform::DWORD copied = platform::GetPrivateProfileStringA(
      section.c_str(), nullptr, "", buffer.data(), kKeyListBufferSize, m_strFileName.c_str());
  return copied > 0;
}

std::optional<std::string> SettingsFilePath() {
  std::array<char, kWindowsDirBufferSize> windows_dir{};
  const platform::UINT length =
      platform::GetWindowsDirectoryA(windows_dir.data(), kWindowsDirBufferSize);
  // A directory that does not fit the buffer counts as missing.
  if (length == 0 || length >= kWindowsDirBufferSize) return std::nullopt;
  return std::string(windows_dir.data()) + kSettingsFileBelowWindows;
}
