// PLACEHOLDER: replaced by the module that owns these functions.
#include "upgrade_app/images/cvm_image.h"

bool PrepareCVMImageWithCRC(CCorvikUpgradeDlg* /*pDlg*/, const std::string& /*hex_path*/) {
  return false;
}
bool PrepareCVMImageWithSum(CCorvikUpgradeDlg* /*pDlg*/, const std::string& /*hex_path*/) {
  return false;
}
bool BuildCVMHeader(const CCorvikUpgradeDlg* /*pDlg*/, std::vector<platform::BYTE>& /*header*/) {
  return true;
}
std::string WriteCVMFile(CCorvikUpgradeDlg* /*pDlg*/, const std::vector<platform::BYTE>& /*image*/,
                         int /*length*/) {
  return {};
}
