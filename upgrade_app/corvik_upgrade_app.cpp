#include "upgrade_app/corvik_upgrade_app.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "platform/com/com_runtime.h"
#include "platform/sys/file.h"
#include "platform/sys/folders.h"
#include "platform/sys/last_error.h"
#include "platform/sys/registry.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "upgrade_app/app_constants.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/corvik_upgrade_module.h"
#include "upgrade_app/firmware_checks.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

constexpr char kInstanceMutexName[] = "Tessaly";
constexpr char kBootBlockImageName[] = "QVX.CON.01.607.bootblock.bin";
constexpr char kCompositeImageName[] = "QVX.CON.01.607.COMP.bin";
constexpr char kInstallKey[] = "SOFTWARE\\Orvanta\\Halcyra Upgrade";
constexpr char kInstallDirectoryValue[] = "InstallDirectory";
constexpr platform::DWORD kInstallDirBufferSize = 250;

CCorvikUpgradeApp* g_application = nullptr;

std::string Trimmed(const std::string& text) {
  const auto is_space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  const auto first = std::find_if_not(text.begin(), text.end(), is_space);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), is_space).base();
  return first < last ? std::string(first, last) : std::string();
}

std::string TrimmedUpper(const std::string& text) {
  std::string result = Trimmed(text);
  std::transform(result.begin(), result.end(), result.begin(), [](char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  });
  return result;
}

// The OLE libraries of the GUI thread.
bool InitialiseOle() { return platform::SUCCEEDED(platform::CoInitialize()); }

}  // namespace

CCorvikUpgradeApp* GetCorvikUpgradeApp() { return g_application; }

void ShowStartupFailure(const std::string& text, const std::string& caption) {
  platform::MessageBox(nullptr, text, caption, platform::MB_OK | platform::MB_ICONERROR);
}

CCorvikUpgradeApp::CCorvikUpgradeApp() {
  g_application = this;
  SetApplicationLink(this);
  // The framework's boxes, also the worker's, take this title as their caption; set before
  // anything can show one.
  platform::SetApplicationTitle(kShortCaption);
}

CCorvikUpgradeApp::~CCorvikUpgradeApp() {
  if (g_application == this) g_application = nullptr;
}

platform::BOOL CCorvikUpgradeApp::InitInstance() {
  if (!InitialiseOle()) {
    platform::AfxMessageBox(FindResourceString(IDP_OLE_INIT_FAILED), platform::MB_OK);
    return platform::FALSE;
  }
  m_bModuleInitialised = 1;
  if (CCorvikUpgradeModule* const module = GetProgramModule()) module->Init();

  if (!TakeSingleInstanceMutex()) return platform::FALSE;

  m_bControlTransport = 1;
  m_bStatusLogging = 1;
  m_bUpgradeDSP = 0;
  m_bUpgradeCPLD = 0;
  m_bUpgradeCVM = 0;

  if (!LocateSettingsFile() || !RequireSettingsSections() || !ReadMode()) return platform::FALSE;
  ReadImagePaths();
  DeriveCompanionPaths();
  ReadVersions();
  if (!RequireNonEmptySettings() || !ReadComposite() || !RequireFirmwareFiles() ||
      !RequireDSPSignature() || !ReadUpgradeSwitches()) {
    return platform::FALSE;
  }
  ReadInstallDirectory();
  ProbeStatusFile();
  RunMainWindow();
  return platform::FALSE;
}

int CCorvikUpgradeApp::ExitInstance() {
  CCorvikUpgradeModule* const module = GetProgramModule();
  if (m_bModuleInitialised != 0 && module != nullptr) module->Term();
  return WinThread::ExitInstance();
}

bool CCorvikUpgradeApp::TakeSingleInstanceMutex() {
  if (platform::OpenMutexA(platform::MUTEX_MODIFY_STATE, platform::FALSE, kInstanceMutexName)) {
    return false;
  }
  m_instanceMutex = platform::CreateMutexA(nullptr, platform::TRUE, kInstanceMutexName);
  // Two copies started at the same moment: the later one also ends without a word.
  return platform::GetLastError() != platform::ERROR_ALREADY_EXISTS;
}

bool CCorvikUpgradeApp::LocateSettingsFile() {
  const std::optional<std::string> path = SettingsFilePath();
  if (!path) {
    ShowStartupFailure(kNoWindowsDirText, kProductCaption);
    return false;
  }
  m_settingsFile.SetFileName(*path);
  return true;
}

bool CCorvikUpgradeApp::RequireSettingsSections() {
  const std::array<bool, 4> found = {
      m_settingsFile.SectionExists("DSP"), m_settingsFile.SectionExists("CPLD"),
      m_settingsFile.SectionExists("CVM"), m_settingsFile.SectionExists("APP_TYPE")};
  if (std::all_of(found.begin(), found.end(), [](bool exists) { return exists; })) return true;
  ShowStartupFailure(kNoSettingsText, kProductCaption);
  return false;
}

bool CCorvikUpgradeApp::ReadMode() {
  const std::string mode = TrimmedUpper(m_settingsFile.ReadValue("MODE", "APP_TYPE"));
  if (mode == "NORMAL") {
    m_bEngineeringMode = 0;
  } else if (mode == "VARSOLIN") {
    m_bEngineeringMode = 1;
  } else {
    ShowStartupFailure(kBadSettingsText, kShortCaption);
    return false;
  }
  return true;
}

void CCorvikUpgradeApp::ReadImagePaths() {
  std::array<char, platform::MAX_PATH> program_files{};
  // Without the program-files folder the image paths stay empty, which the settings check
  // then refuses.
  if (platform::SHGetSpecialFolderPathA(nullptr, program_files.data(),
                                        platform::CSIDL_PROGRAM_FILES, platform::FALSE) == 0) {
    return;
  }
  const std::string folder = program_files.data();
  m_strDSPFilePath = folder + m_settingsFile.ReadValue("FilePath", "DSP");
  m_strCPLDFilePath = folder + m_settingsFile.ReadValue("FilePath", "CPLD");
  m_strCVMFilePath = folder + m_settingsFile.ReadValue("FilePath", "CVM");
}

void CCorvikUpgradeApp::DeriveCompanionPaths() {
  const std::size_t last_separator = m_strDSPFilePath.rfind('\\');
  const std::string dsp_folder = last_separator == std::string::npos
                                     ? std::string()
                                     : m_strDSPFilePath.substr(0, last_separator);
  m_strBootBlockFilePath = dsp_folder + "\\" + kBootBlockImageName;
  m_strCompositeFilePath = dsp_folder + "\\" + kCompositeImageName;
}

void CCorvikUpgradeApp::ReadVersions() {
  m_strDSPFileVer = Trimmed(m_settingsFile.ReadValue("FileVer", "DSP"));
  m_strCPLDFileVer = Trimmed(m_settingsFile.ReadValue("FileVer", "CPLD"));
  m_strCVMFileVer = Trimmed(m_settingsFile.ReadValue("FileVer", "CVM"));
  m_strBootBlockFilePath = Trimmed(m_strBootBlockFilePath);
  m_strCompositeFilePath = Trimmed(m_strCompositeFilePath);
}

bool CCorvikUpgradeApp::RequireNonEmptySettings() {
  const std::array<const std::string*, 8> required = {
      &m_strCompositeFilePath, &m_strBootBlockFilePath, &m_strDSPFilePath, &m_strCPLDFilePath,
      &m_strCVMFilePath,       &m_strDSPFileVer,        &m_strCPLDFileVer, &m_strCVMFileVer};
  if (std::none_of(required.begin(), required.end(),
                   [](const std::string* value) { return value->empty(); })) {
    return true;
  }
  ShowStartupFailure(kBadSettingsText, kShortCaption);
  return false;
}

bool CCorvikUpgradeApp::ReadSwitch(const char* section, const char* key,
                                   platform::BYTE& flag) const {
  const std::string value = TrimmedUpper(m_settingsFile.ReadValue(key, section));
  if (value == "YES") {
    flag = 1;
  } else if (value == "NO") {
    flag = 0;
  } else {
    return false;
  }
  return true;
}

bool CCorvikUpgradeApp::ReadComposite() {
  if (ReadSwitch("DSP", "Composite", m_bCompositeDSP)) return true;
  ShowStartupFailure(kBadSettingsText, kProductCaption);
  return false;
}

bool CCorvikUpgradeApp::RequireFirmwareFiles() {
  if (CheckFirmwareFilesPresent(m_strDSPFilePath, m_strCPLDFilePath, m_strCVMFilePath,
                                m_strBootBlockFilePath, m_strCompositeFilePath)) {
    return true;
  }
  ShowStartupFailure(kMissingFilesText, kProductCaption);
  return false;
}

bool CCorvikUpgradeApp::RequireDSPSignature() {
  if (CheckDSPSignature(*this, m_strDSPFilePath)) return true;
  ShowStartupFailure(kBadSignatureText, kProductCaption);
  return false;
}

bool CCorvikUpgradeApp::ReadUpgradeSwitches() {
  if (ReadSwitch("CPLD", "Upgrade", m_bUpgradeCPLD) &&
      ReadSwitch("DSP", "Upgrade", m_bUpgradeDSP) && ReadSwitch("CVM", "Upgrade", m_bUpgradeCVM)) {
    return true;
  }
  ShowStartupFailure(kBadSettingsText, kProductCaption);
  return false;
}

void CCorvikUpgradeApp::ReadInstallDirectory() {
  std::array<char, kInstallDirBufferSize> buffer{};
  platform::HKEY key{};
  if (platform::RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, kInstallKey, 0, platform::KEY_READ,
                              &key) == platform::ERROR_SUCCESS) {
    platform::DWORD type = 0;
    platform::DWORD size = kInstallDirBufferSize;
    // A value that does not fit leaves the buffer empty: the folder counts as missing.
    platform::RegQueryValueExA(key, kInstallDirectoryValue, nullptr, &type,
                               reinterpret_cast<platform::BYTE*>(buffer.data()), &size);
    platform::RegCloseKey(key);
  }
  buffer.back() = '\0';
  m_strInstallDirectory = buffer.data();
}

void CCorvikUpgradeApp::ProbeStatusFile() {
  if (m_bStatusLogging == 0) return;
  platform::CFile probe;
  if (probe.Open(m_strInstallDirectory + "\\" + g_strStatusFileName,
                 platform::CFile::modeCreate | platform::CFile::modeRead |
                     platform::CFile::shareExclusive) != 0) {
    probe.Abort();
  }
}

void CCorvikUpgradeApp::RunMainWindow() {
  std::shared_ptr<platform::ThreadEnd> worker_end;
  {
    CCorvikUpgradeDlg dialog(m_bEngineeringMode != 0 ? IDD_ENGINEERING_WINDOW : IDD_WIZARD_WINDOW);
    dialog.DoModal();
    worker_end = dialog.WorkerEnd();
    m_pMainWnd = nullptr;
  }
  // The window's end asked the worker to end; give it a bounded time to do so. A worker still
  // busy then (a job that outlasts the wait) goes on using the program's objects, so the
  // process must not destroy them at its end.
  if (worker_end && !worker_end->WaitFor(platform::GetClock().Now() + kWorkerEndWait)) {
    platform::EndWithoutCleanup();
  }
}
