#include "upgrade_app/settings_file.h"

#include <array>

#include "platform/sys/profile.h"

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
