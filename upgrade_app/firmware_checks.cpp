#include "upgrade_app/firmware_checks.h"

#include <algorithm>
#include <array>

#include "platform/exceptions.h"
#include "platform/sys/file.h"
#include "platform/sys/file_find.h"
#include "upgrade_app/corvik_upgrade_app.h"

namespace {

constexpr std::array<platform::BYTE, 4> kDSPSignature = {0xCE, 0xFA, 0xDE, 0xFA};

}  // namespace

bool CheckFirmwareFilesPresent(const std::string& dsp_path, const std::string& cpld_path,
                               const std::string& cvm_path, const std::string& boot_block_path,
                               const std::string& composite_path) {
  platform::CFileFind finder;
  const std::array<const std::string*, 5> names = {&dsp_path, &cpld_path, &cvm_path,
                                                   &boot_block_path, &composite_path};
  return std::all_of(names.begin(), names.end(),
                     [&finder](const std::string* name) { return finder.FindFile(*name) != 0; });
}

bool CheckDSPSignature(const CCorvikUpgradeApp& app, const std::string& dsp_path) {
  platform::CFile file;
  if (file.Open(dsp_path, platform::CFile::modeRead | platform::CFile::shareExclusive) == 0) {
    return false;
  }
  std::array<platform::BYTE, kDSPSignature.size()> found{};
  try {
    if (app.m_bCompositeDSP != 0) {
      file.Seek(kCompositeSignatureOffset, platform::CFile::begin);
    }
    if (file.Read(found.data(), static_cast<platform::UINT>(found.size())) != found.size()) {
      return false;
    }
  } catch (const platform::CFileException&) {
    return false;
  }
  return found == kDSPSignature;
}
