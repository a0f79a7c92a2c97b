#include "upgrade_app/corvik_upgrade_dlg.h"

#include <array>

#include "device_link/bus_mail.h"
#include "device_link/upgrade_messages.h"
#include "platform/exceptions.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/message_box.h"
#include "upgrade_app/about_dlg.h"
#include "upgrade_app/application_version.h"
#include "upgrade_app/auto_proxy.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/dialogs/dialog_support.h"
#include "upgrade_app/reported_exceptions.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"
#include "upgrade_app/sequencer/window_messages.h"

namespace {

constexpr platform::UINT kSystemCommandMask = 0xFFF0;
constexpr int kBoldHeight = -14;
constexpr int kNormalHeight = -12;

constexpr char kNoWorkerText[] =
    "The upgrade worker could not be started.\nHalcyra Software Upgrade will exit";

// The panel controls that DisableAllButtons and EnableAllButtons switch, in their order.
constexpr std::array kPanelControls = {
    IDC_BROWSE,       IDC_DETECT_USB_DEVICE, IDC_RESET_USB_DEVICE, IDC_SHOW_STATUS,
    IDC_SEND_COMMAND, IDC_SEND_FW,           IDC_COMMAND_LIST,     IDC_FIRMWARE_TYPE_LIST};

constexpr std::array kEngineeringControls = {
    IDC_BROWSE,           IDC_FILE_PATH,           IDC_DETECT_USB_DEVICE,
    IDC_RESET_USB_DEVICE, IDC_COMMAND_LIST,        IDC_FIRMWARE_TYPE_LIST,
    IDC_COMMAND_LABEL,    IDC_FIRMWARE_TYPE_LABEL, IDC_SEND_COMMAND,
    IDC_SEND_FW};

constexpr std::array<const char*, 3> kFirmwareTypes = {"DSP Firmware", "CPLD Firmware",
                                                       "CVM Firmware"};

}  // namespace

// Every message the window takes, in one place. Painting, the colour of the title
// (OnCtlColor) and the cursor are the view's and the dialog's own business, so they have no row.
const CCorvikUpgradeDlg::Map CCorvikUpgradeDlg::kMessageMap{
    Map::SysCommand(&CCorvikUpgradeDlg::OnSysCommand),
    Map::Message(platform::WM_QUERYDRAGICON, &CCorvikUpgradeDlg::OnQueryDragIcon),
    Map::Message(platform::WM_CLOSE, &CCorvikUpgradeDlg::OnOK),
    Map::Button(IDC_TEST_BUS_MAIL, &CCorvikUpgradeDlg::OnTestBusMail),
    Map::Button(IDC_TEST_THREAD_TASK, &CCorvikUpgradeDlg::OnTestThreadTask),
    Map::Button(IDC_CANCEL_COMMAND, &CCorvikUpgradeDlg::OnCancel),
    Map::Button(IDC_BROWSE, &CCorvikUpgradeDlg::OnBrowse),
    Map::Timer(&CCorvikUpgradeDlg::OnTimer),
    Map::Button(IDC_CLEAR_WINDOW, &CCorvikUpgradeDlg::OnClearWindow),
    Map::Button(IDC_UPGRADE, &CCorvikUpgradeDlg::UpgradeOnclick),
    Map::Button(IDC_ABOUT, &CCorvikUpgradeDlg::OnAbout),
    Map::Button(IDC_DETECT_USB_DEVICE, &CCorvikUpgradeDlg::OnDetectUSBDevice),
    Map::Button(IDC_RESET_USB_DEVICE, &CCorvikUpgradeDlg::OnResetUSBDevice),
    Map::Button(IDC_SHOW_STATUS, &CCorvikUpgradeDlg::OnShowStatus),
    Map::Button(IDC_SEND_COMMAND, &CCorvikUpgradeDlg::OnSendCommand),
    Map::Button(IDC_SEND_FW, &CCorvikUpgradeDlg::OnSendFW),
    Map::Command(IDC_FIRMWARE_TYPE_LIST, platform::CBN_SELCHANGE,
                 &CCorvikUpgradeDlg::OnSelchangeFirmwareType),
    Map::Command(IDC_COMMAND_LIST, platform::CBN_SELCHANGE, &CCorvikUpgradeDlg::OnSelchangeCommand),
    Map::Button(IDC_NEXT, &CCorvikUpgradeDlg::OnNext),
    Map::Button(IDC_TROUBLESHOOT, &CCorvikUpgradeDlg::OnTroubleshoot),
    Map::Message(WM_UPG_TEST_DLG, &CCorvikUpgradeDlg::OnTestDlgMessage),
    Map::Message(WM_UPG_DEVICE_REMOVED, &CCorvikUpgradeDlg::OnUSBDeviceRemoved),
    Map::Message(WM_UPG_READ_COMPLETE, &CCorvikUpgradeDlg::OnUSBReadComplete),
    Map::Message(WM_UPG_REPLY, &CCorvikUpgradeDlg::ONGetReceiveResponseThread),
    Map::Message(WM_UPG_FILE_PROGRESS, &CCorvikUpgradeDlg::FileSendStatus),
    Map::Message(WM_UPG_NEXT_TASK, &CCorvikUpgradeDlg::OnNextTask),
    Map::Message(WM_UPG_START_UPGRADE_MAP, &CCorvikUpgradeDlg::OnStartUpgradeMap),
    Map::Message(WM_UPG_START_DSP1211_MAP, &CCorvikUpgradeDlg::OnStartDSP1211Map),
    Map::Message(WM_UPG_START_DSP1209_MAP, &CCorvikUpgradeDlg::OnStartDSP1209Map),
    Map::Message(WM_UPG_START_DS_MAP, &CCorvikUpgradeDlg::OnStartDSMap),
    Map::Message(WM_UPG_NEXT_DETECTION_TASK, &CCorvikUpgradeDlg::SetExecuteTaskList),
    Map::Message(WM_UPG_START_DETECTION, &CCorvikUpgradeDlg::OnTaskSequenceCorvikDetect),
    Map::Message(WM_UPG_DETECTION_REPLY, &CCorvikUpgradeDlg::OnReceivedResponse),
    Map::Message(WM_UPG_CVM_REPLY, &CCorvikUpgradeDlg::OnCVMReceivedResponse),
    Map::Message(WM_UPG_CHOOSE_DSP_MAP, &CCorvikUpgradeDlg::OnChooseDSPMap),
    Map::Message(WM_UPG_SEND_DSP_FIRMWARE, &CCorvikUpgradeDlg::OnSendDSPFirmware),
    Map::Message(WM_UPG_DSP_FILE_SENT, &CCorvikUpgradeDlg::OnDSPFirmwareFile),
    Map::Message(WM_UPG_CVM_FILE_SENT, &CCorvikUpgradeDlg::OnCVMFirmwareFile),
    Map::Message(WM_UPG_ENABLE_UPGRADE, &CCorvikUpgradeDlg::OnEnableUpgrade),
    Map::Message(WM_UPG_START_CVM_UPGRADE, &CCorvikUpgradeDlg::OnStartCVMUpgrade),
    Map::Message(WM_UPG_START_CVM_MAP, &CCorvikUpgradeDlg::OnStartCVMMap),
    Map::Message(WM_UPG_SEND_CVM, &CCorvikUpgradeDlg::OnSendCVM),
    Map::Message(WM_UPG_NEXT_CVM_TASK, &CCorvikUpgradeDlg::OnExecuteCVMTask),
    Map::Message(WM_UPG_START_CONSOLE_MAP, &CCorvikUpgradeDlg::OnStartConsoleMap),
    Map::Message(WM_UPG_START_CONSOLE_PARAMS, &CCorvikUpgradeDlg::OnStartConsoleParams),
    Map::Message(WM_UPG_NEXT_CONSOLE_PARAM_TASK, &CCorvikUpgradeDlg::OnExecuteConsoleParamList),
    Map::Message(WM_UPG_SEND_CVM_HEADER, &CCorvikUpgradeDlg::OnSendCVMHeader),
    Map::Message(WM_UPG_START_VERIFICATION, &CCorvikUpgradeDlg::OnStartVerification),
    Map::Message(WM_UPG_START_VERIFICATION_MAP, &CCorvikUpgradeDlg::OnStartVerificationMap),
    Map::Message(WM_UPG_BOOTBLOCK_FILE_SENT, &CCorvikUpgradeDlg::OnBootBlockFirmwareFile),
    Map::Message(WM_UPG_BOOTROM_RECOVERY, &CCorvikUpgradeDlg::OnStartBBRecovery),
    Map::Message(WM_UPG_NEXT_BB_TASK, &CCorvikUpgradeDlg::OnExecuteBBRecovery),
    Map::Message(WM_UPG_SEND_BB_DSP_FILE, &CCorvikUpgradeDlg::OnSendBBDSPFile),
};

CCorvikUpgradeDlg::CCorvikUpgradeDlg(platform::UINT template_id, platform::HWND parent)
    : platform::Dialog(template_id, parent),
      m_pApp(GetCorvikUpgradeApp()),
      m_hIcon(platform::LoadIcon(IDR_MAINFRAME)) {}

CCorvikUpgradeDlg::~CCorvikUpgradeDlg() {
  if (m_pUpgradeThread != nullptr) {
    platform::PostThreadMessage(m_worker.thread_id, WM_UPG_END_THREAD, 0, 0);
  }
  if (m_pAutoProxy != nullptr) m_pAutoProxy->m_pDialog = nullptr;
}

bool CCorvikUpgradeDlg::RouteMessage(platform::UINT message, platform::WPARAM wParam,
                                     platform::LPARAM lParam, platform::LRESULT& result) {
  return kMessageMap.Route(*this, message, wParam, lParam, result);
}

platform::BOOL CCorvikUpgradeDlg::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  // The window exists now: it is the application's main window from here on.
  m_pApp->m_pMainWnd = GetSafeHwnd();
  AddAboutMenuItem();
  SetIcon(m_hIcon, platform::TRUE);
  SetIcon(m_hIcon, platform::FALSE);
  if (m_pApp->m_bEngineeringMode != 0) {
    EnableEngineeringType();
    FillCommandList();
    FillFirmwareTypeList();
  }
  CreateFonts();
  ApplyFonts();
  m_pApp->m_bShowStatus = m_bShowStatusCheck;
  if (m_pApp->m_bEngineeringMode != 0) {
    SetWindowText(GetWindowText() + GetApplicationVersion());
  }
  StartWorker();
  return platform::TRUE;
}

void CCorvikUpgradeDlg::AddAboutMenuItem() {
  platform::Menu* const system_menu = GetSystemMenu(platform::FALSE);
  if (system_menu == nullptr) return;
  const std::string about = LoadResourceString(IDS_ABOUTBOX);
  if (about.empty()) return;
  system_menu->AppendMenu(platform::MF_SEPARATOR);
  system_menu->AppendMenu(platform::MF_STRING, IDM_ABOUTBOX, about);
}

void CCorvikUpgradeDlg::CreateFonts() {
  CreateArialFont(m_fontBold, kBoldHeight, platform::FW_BOLD);
  CreateArialFont(m_fontNormal, kNormalHeight, platform::FW_NORMAL);
}

void CCorvikUpgradeDlg::ApplyFonts() {
  SetControlFont(IDC_PROGRESS_LABEL, m_fontNormal);
  SetControlFont(IDC_STEP_LABEL, m_fontNormal);
  SetControlFont(IDC_TITLE_TEXT, m_fontBold);
  SetControlFont(IDC_NEXT, m_fontBold);
  ShowControl(IDC_NEXT, platform::SW_HIDE);
  SetControlFont(IDC_UPGRADE, m_fontBold);
  SetControlFont(IDC_TROUBLESHOOT, m_fontBold);
  SetControlFont(platform::IDOK, m_fontBold);
  SetControlFont(IDC_WARNING_TEXT, m_fontBold);
  ShowControl(IDC_WARNING_TEXT, platform::SW_HIDE);
  SetControlFont(IDC_INSTRUCTIONS, m_fontNormal);
  if (platform::Control* const instructions = GetDlgItem(IDC_INSTRUCTIONS)) {
    instructions->SetWindowText(FindResourceString(IDS_MUTE_INSTRUCTIONS));
  }
  SetControlFont(IDC_STEP_TEXT, m_fontNormal);
}

void CCorvikUpgradeDlg::StartWorker() {
  m_worker = StartUpgradeThread(GetSafeHwnd());
  m_pUpgradeThread = m_worker.thread;
  if (m_pUpgradeThread != nullptr) return;
  // Every job needs the worker, so the window cannot serve without it.
  MessageBox(kNoWorkerText, kProductCaption, platform::MB_OK | platform::MB_ICONERROR);
  EndDialog(platform::IDCANCEL);
}

void CCorvikUpgradeDlg::ResumeWorker() {
  if (m_pUpgradeThread == nullptr) return;
  m_bWorkerResumed = true;
  m_worker.resume();
}

std::shared_ptr<platform::ThreadEnd> CCorvikUpgradeDlg::WorkerEnd() const {
  return m_bWorkerResumed ? m_worker.end : nullptr;
}

void CCorvikUpgradeDlg::OnSysCommand(platform::UINT command, platform::LPARAM lParam) {
  if ((command & kSystemCommandMask) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    platform::Dialog::OnSysCommand(command, lParam);
  }
}

platform::LRESULT CCorvikUpgradeDlg::OnQueryDragIcon(platform::WPARAM /*wParam*/,
                                                     platform::LPARAM /*lParam*/) {
  return reinterpret_cast<platform::LRESULT>(m_hIcon);
}

void CCorvikUpgradeDlg::OnOK() {
  if (m_pAutoProxy != nullptr) {
    ShowWindow(platform::SW_HIDE);
    return;
  }
  platform::Dialog::OnOK();
}

void CCorvikUpgradeDlg::OnCancel() {}

void CCorvikUpgradeDlg::OnAbout() {
  CAboutDlg about;
  about.DoModal();
}

platform::LRESULT CCorvikUpgradeDlg::OnUSBDeviceRemoved(platform::WPARAM /*wParam*/,
                                                        platform::LPARAM /*lParam*/) {
  OnOK();
  return 0;
}

platform::LRESULT CCorvikUpgradeDlg::OnUSBReadComplete(platform::WPARAM /*wParam*/,
                                                       platform::LPARAM /*lParam*/) {
  if (m_pUpgradeThread != nullptr && m_nPendingCommand != kNothingPending) {
    platform::PostThreadMessage(m_worker.thread_id, WM_UPG_READ_COMPLETE, 0, 0);
  }
  return 0;
}

void CCorvikUpgradeDlg::DisableAllButtons() {
  ReportingExceptions(CaughtIn("DisableAllButtons"), [this] {
    for (const int id : kPanelControls) EnableControl(id, platform::FALSE);
    EnableControl(IDC_UPGRADE, platform::FALSE);
    EnableControl(IDC_CLEAR_WINDOW, platform::FALSE);
    EnableCloseCommand(false);
  });
}

void CCorvikUpgradeDlg::EnableAllButtons() {
  for (const int id : kPanelControls) EnableControl(id, platform::TRUE);
  EnableControl(IDC_CLEAR_WINDOW, platform::TRUE);
}

void CCorvikUpgradeDlg::EnableEngineeringType() {
  ReportingExceptions(CaughtIn("EnableEngineeringType"), [this] {
    ShowControl(IDC_UPGRADE, platform::SW_HIDE);
    for (const int id : kEngineeringControls) ShowControl(id, platform::SW_SHOW);
  });
}

void CCorvikUpgradeDlg::FillCommandList() {
  const CBusMail bus_mail;  // its construction fills the application's command tables
  auto* const list = GetDlgItemAs<platform::ComboBox>(IDC_COMMAND_LIST);
  if (list == nullptr) return;
  for (const auto& entry : m_pApp->m_mapCommandName) list->AddString(entry.value);
}

void CCorvikUpgradeDlg::FillFirmwareTypeList() {
  auto* const list = GetDlgItemAs<platform::ComboBox>(IDC_FIRMWARE_TYPE_LIST);
  if (list == nullptr) return;
  for (const char* type : kFirmwareTypes) list->AddString(type);
}

void CCorvikUpgradeDlg::SetControlFont(int id, const platform::Font& font) {
  if (platform::Control* const control = GetDlgItem(id)) control->SetFont(&font, platform::TRUE);
}

void CCorvikUpgradeDlg::ShowControl(int id, int show_command) {
  if (platform::Control* const control = GetDlgItem(id)) control->ShowWindow(show_command);
}

void CCorvikUpgradeDlg::EnableControl(int id, platform::BOOL enable) {
  if (platform::Control* const control = GetDlgItem(id)) control->EnableWindow(enable);
}

void CCorvikUpgradeDlg::SetControlText(int id, std::string_view text) {
  if (platform::Control* const control = GetDlgItem(id)) control->SetWindowText(text);
}

void CCorvikUpgradeDlg::EnableCloseCommand(bool enable) {
  if (platform::Menu* const system_menu = GetSystemMenu(platform::FALSE)) {
    system_menu->EnableMenuItem(
        platform::SC_CLOSE,
        platform::MF_BYCOMMAND | (enable ? platform::MF_ENABLED : platform::MF_GRAYED));
  }
}

bool CCorvikUpgradeDlg::EngineeringMode() const { return m_pApp->m_bEngineeringMode != 0; }
