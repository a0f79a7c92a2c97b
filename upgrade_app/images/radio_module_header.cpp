// The header that announces the radio-module image to the console.

#include <vector>

#include "device_link/command_codes.h"
#include "platform/text_format.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/images/cvm_image.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/string_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/status_log.h"

namespace {

constexpr char kCvmFileNullText[] = "CVM file is NULL, Aborting the upgrade";

}  // namespace

platform::LRESULT CCorvikUpgradeDlg::OnSendCVMHeader(platform::WPARAM /*wParam*/,
                                                     platform::LPARAM /*lParam*/) {
  bool sent = false;
  ReportingExceptions(CaughtIn("OnSendCVMHeader"), [this, &sent] {
    if (!EngineeringMode()) m_strFilePath = m_pApp->m_strCVMFilePath;
    if (m_strFilePath.empty()) {
      MessageBox(kCvmFileNullText, FindResourceString(IDS_MESSAGE_CAPTION),
                 platform::MB_OK | platform::MB_ICONERROR);
      return;
    }
    // The preparation has told the user what went wrong.
    if (!PrepareCVMImageWithCRC(this, m_strFilePath)) return;
    std::vector<platform::BYTE> header(kCvmHeaderSize);
    BuildCVMHeader(this, header);
    GenericSendCommandN(static_cast<int>(UPD_SEND_CVM_HEADER), header);
    sent = true;
    UpdateStatus(
        this,
        platform::Format("\r\nData size :%ld\r\n, Data Offset = %ld \r\n, Checksum = %lu \r\n",
                         static_cast<long>(m_nCVMImageLength), static_cast<long>(m_nCVMImageStart),
                         static_cast<unsigned long>(m_nCVMImageChecksum)));
  });
  if (!sent) HaltSequence();
  return 0;
}
