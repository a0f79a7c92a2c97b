// The engineering window's panel: file choice, single commands, firmware downloads, the status
// box's buttons and the test hooks that no control carries.

#include "upgrade_app/engineering_panel.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "device_link/bus_mail.h"
#include "device_link/command_codes.h"
#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/file_dialog.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/images/cvm_image.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/sequencer/window_messages.h"
#include "upgrade_app/status_log.h"

namespace {

constexpr platform::DWORD kFileDialogFlags =
    platform::OFN_FILEMUSTEXIST | platform::OFN_PATHMUSTEXIST | platform::OFN_HIDEREADONLY |
    platform::OFN_OVERWRITEPROMPT;

constexpr char kAnyFirmwareFilter[] =
    "DSP Firmware Files (*.bin)|*.bin|CPLD Firmware Files (*.xsvf)|*.xsvf|CVM Firmware Files "
    "(*.hex)|*.hex|All Files (*.*)|*.*||";
constexpr char kCvmFilter[] = "CVM Firmware Files (*.hex)|*.hex|All Files (*.*)|*.*||";
constexpr std::array<std::string_view, 3> kFirmwareExtensions = {".xsvf", ".bin", ".hex"};

constexpr char kNotFirmwareText[] = "Please select a file with extention .bin, .xsvf or .hex!";
constexpr char kNoHexFileText[] = "Please select a file with extention .hex!";
constexpr char kTestDlgText[] = "Test Dlg Message";
constexpr char kNoCommandChosen[] =
    "\r\nPlease select a command first from select Command Combo Box\r\n";
constexpr char kNoFirmwareTypeChosen[] =
    "\r\nPlease select a F/W Type first from select F/W Combo Box\r\n";
constexpr char kCvmHeaderCommandName[] = "UPD_SEND_CVM_HEADER";

// One entry of the firmware-type list, by its index.
struct FirmwareType {
  std::string_view filter;
  std::string_view extension;
  std::string_view wrong_file_line;
  int task_kind;
};

constexpr std::array<FirmwareType, 3> kFirmwareTypes = {{
    {"DSP Firmware Files (*.bin)|*.bin|All Files (*.*)|*.*||", ".bin",
     "\r\n\r\nPlease select .bin file!\r\n\r\n", TASK_SEND_DSP_FILE},
    {"CPLD Firmware Files (*.xsvf)|*.xsvf|All Files (*.*)|*.*||", ".xsvf",
     "\r\n\r\nPlease select .xsvf file!\r\n\r\n", TASK_SEND_CPLD_FILE},
    {kCvmFilter, ".hex", "\r\n\r\nPlease select .hex file!\r\n\r\n", TASK_SEND_CVM_FILE},
}};

const FirmwareType* FirmwareTypeAt(int index) {
  if (index < 0 || index >= static_cast<int>(kFirmwareTypes.size())) return nullptr;
  return &kFirmwareTypes[static_cast<std::size_t>(index)];
}

bool Contains(std::string_view path, std::string_view text) {
  return path.find(text) != std::string_view::npos;
}

// The list's selection; a window without the list counts as the first item chosen.
int SelectionOf(const platform::ComboBox* list) { return list != nullptr ? list->GetCurSel() : 0; }

// The path confirmed in the file-open dialog; nothing when it was cancelled.
std::optional<std::string> ChooseFile(const CCorvikUpgradeDlg& owner, std::string_view filter) {
  platform::FileDialog dialog(platform::TRUE, {}, {}, kFileDialogFlags, filter,
                              owner.GetSafeHwnd());
  if (dialog.DoModal() != platform::IDOK) return std::nullopt;
  return dialog.GetPathName();
}

void ShowFilePath(CCorvikUpgradeDlg& dialog, const std::string& path) {
  dialog.m_strFilePath = path;
  dialog.SetControlText(IDC_FILE_PATH, path);
}

void ShowChooseFileBox(const CCorvikUpgradeDlg& dialog, std::string_view text) {
  dialog.MessageBox(text, kProductCaption, platform::MB_OK | platform::MB_ICONINFORMATION);
}

// A list without a selection: the status says what to choose and the list opens.
bool NothingChosen(CCorvikUpgradeDlg& dialog, platform::ComboBox* list, const char* prompt) {
  if (list == nullptr || list->GetCurSel() != platform::CB_ERR) return false;
  UpdateStatus(&dialog, prompt);
  list->ShowDropDown(platform::TRUE);
  return true;
}

std::optional<platform::UINT> CommandCodeNamed(const CCorvikUpgradeApp& app,
                                               std::string_view name) {
  for (const auto& entry : app.m_mapCommandName) {
    if (entry.value == name) return entry.key;
  }
  return std::nullopt;
}

}  // namespace

std::vector<platform::BYTE> SampleReplyFrame() {
  constexpr std::size_t kFrameLength = 20;
  constexpr platform::BYTE kByteOffset = 10;
  std::vector<platform::BYTE> frame = {0x10, 0x00, 0x10};
  for (std::size_t index = frame.size(); index < kFrameLength; ++index) {
    frame.push_back(static_cast<platform::BYTE>(index + kByteOffset));
  }
  return frame;
}

void CCorvikUpgradeDlg::OnBrowse() {
  const int type = SelectionOf(GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST));
  const FirmwareType* const firmware = FirmwareTypeAt(type);
  const std::optional<std::string> path =
      ChooseFile(*this, firmware != nullptr ? firmware->filter : kAnyFirmwareFilter);
  if (!path) return;
  // Any of the three extensions will do, whichever type is chosen: Send FW checks the type.
  const bool firmware_file =
      std::any_of(kFirmwareExtensions.begin(), kFirmwareExtensions.end(),
                  [&](std::string_view ext) { return Contains(*path, ext); });
  if (path->empty() || !firmware_file) {
    ShowChooseFileBox(*this, kNotFirmwareText);
    return;
  }
  ShowFilePath(*this, *path);
}

void CCorvikUpgradeDlg::BrowseCVMFile() {
  const std::optional<std::string> path = ChooseFile(*this, kCvmFilter);
  if (!path) return;
  if (path->empty()) {
    ShowChooseFileBox(*this, kNoHexFileText);
    return;
  }
  ShowFilePath(*this, *path);
}

void CCorvikUpgradeDlg::OnSelchangeFirmwareType() { OnBrowse(); }

void CCorvikUpgradeDlg::OnSelchangeCommand() {
  const auto* const list = GetDlgItemAs<platform::ComboBox>(IDC_COMMAND_LIST);
  if (list != nullptr && list->GetWindowText() == kCvmHeaderCommandName) BrowseCVMFile();
}

void CCorvikUpgradeDlg::OnSendCommand() {
  auto* const list = GetDlgItemAs<platform::ComboBox>(IDC_COMMAND_LIST);
  if (NothingChosen(*this, list, kNoCommandChosen)) return;
  std::string name;
  if (list != nullptr) list->GetLBText(list->GetCurSel(), name);
  const std::optional<platform::UINT> code = CommandCodeNamed(*m_pApp, name);
  if (!code) return;
  // The panel stays disabled until the reply or the time-out, so that no second job can
  // overwrite the worker's job fields meanwhile.
  DisableAllButtons();
  switch (*code) {
    // Either handler gives the panel back itself when it sends nothing.
    case UPD_INIT_UPGRADE_CONSOLEPARAMS:
      SendMessage(WM_UPG_START_CONSOLE_PARAMS);
      break;
    case UPD_SEND_CVM_HEADER:
      SendMessage(WM_UPG_SEND_CVM_HEADER);
      break;
    default:
      SendStepCommand(static_cast<int>(*code));
      break;
  }
}

void CCorvikUpgradeDlg::OnSendFW() {
  auto* const list = GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST);
  if (NothingChosen(*this, list, kNoFirmwareTypeChosen)) return;
  DisableAllButtons();
  const FirmwareType* const firmware = FirmwareTypeAt(SelectionOf(list));
  if (firmware == nullptr) {
    HaltSequence();
    return;
  }
  if (m_strFilePath.empty() || !Contains(m_strFilePath, firmware->extension)) {
    UpdateStatus(this, std::string(firmware->wrong_file_line));
    EnableAllButtons();
    EnableControl(IDC_UPGRADE, platform::TRUE);
    return;
  }
  _STRUCT_THREAD_TASK task;
  task.nTaskKind = firmware->task_kind;
  if (task.nTaskKind == TASK_SEND_CVM_FILE) {
    // A copy: the preparer replaces m_strFilePath by the download file's path.
    const std::string hex_path = m_strFilePath;
    // A failed conversion has shown its box; there is no image to send.
    if (!PrepareCVMImageWithSum(this, hex_path)) {
      HaltSequence();
      return;
    }
    task.nImageLength = m_nCVMImageLength;
    task.nImageStart = m_nCVMImageStart;
    task.nImageChecksum = static_cast<int>(m_nCVMImageChecksum);
  }
  task.strFilePath = m_strFilePath;
  // Each download of the engineering window shows its own progress.
  m_nDownloadsDone = 0;
  HandOverTask(task, false);
  StartTimer(kReplyTimeout, kReplyTimerKind);
}

void CCorvikUpgradeDlg::OnClearWindow() { m_strStatusText.clear(); }

void CCorvikUpgradeDlg::OnShowStatus() { m_pApp->m_bShowStatus = m_bShowStatusCheck; }

void CCorvikUpgradeDlg::OnTestBusMail() {
  CBusMail bus_mail;
  bus_mail.BuildRequest({}, ToCommandCodeBytes(UPD_GET_DSPFLASH_FW_VER));
  bus_mail.m_arrResponse = SampleReplyFrame();
  bus_mail.m_bResponsePresent = 1;
  bus_mail.VerifyResponse();
}

void CCorvikUpgradeDlg::OnTestThreadTask() {
  if (m_pUpgradeThread == nullptr) return;
  _STRUCT_THREAD_TASK task;
  task.nTaskKind = TASK_SEND_COMMAND;
  HandOverTask(task, m_pUpgradeThread->m_bAutoDelete != platform::FALSE);
}

platform::LRESULT CCorvikUpgradeDlg::OnTestDlgMessage(platform::WPARAM /*wParam*/,
                                                      platform::LPARAM /*lParam*/) {
  MessageBox(kTestDlgText, kProductCaption, platform::MB_OK | platform::MB_ICONSTOP);
  return 0;
}
