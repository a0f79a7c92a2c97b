#pragma once

// The application object: start-up checks, settings and the fields the device link and the
// main window share. It runs on the GUI thread and ends the program when the main window
// closes (InitInstance returns FALSE on every path).

#include <memory>
#include <string>

#include "device_link/application_link.h"
#include "platform/sys/named_mutex.h"
#include "platform/thread/win_thread.h"
#include "platform/win_types.h"
#include "upgrade_app/settings_file.h"

class CCorvikUpgradeApp : public platform::WinThread, public CApplicationLink {
 public:
  // Registers itself as the application object of the process.
  CCorvikUpgradeApp();
  CCorvikUpgradeApp(const CCorvikUpgradeApp&) = delete;
  CCorvikUpgradeApp& operator=(const CCorvikUpgradeApp&) = delete;
  ~CCorvikUpgradeApp() override;

  platform::BOOL InitInstance() override;
  int ExitInstance() override;

  int m_bShowStatus = 0;
  platform::BYTE m_bCompositeDSP = 0;
  platform::BYTE m_bUpgradeDSP = 0;
  platform::BYTE m_bUpgradeCPLD = 0;
  platform::BYTE m_bUpgradeCVM = 0;
  platform::BYTE m_bEngineeringMode = 0;
  CSettingsFile m_settingsFile;
  std::string m_strCPLDFileVer;
  std::string m_strDSPFileVer;
  std::string m_strCVMFileVer;
  std::string m_strCPLDFilePath;
  std::string m_strDSPFilePath;
  std::string m_strBootBlockFilePath;
  std::string m_strCVMFilePath;
  std::string m_strCompositeFilePath;
  std::string m_strInstallDirectory;
  platform::BYTE m_bStatusLogging = 0;
  int m_bModuleInitialised = 0;

  // How long the end of the program waits for the worker thread to finish, in program time.
  static constexpr platform::Millis kWorkerEndWait = 5000;

 private:
  // Each step returns false when start-up must end (its message, if any, has been shown).
  bool TakeSingleInstanceMutex();
  bool LocateSettingsFile();
  bool RequireSettingsSections();
  bool ReadMode();
  void ReadImagePaths();
  void DeriveCompanionPaths();
  void ReadVersions();
  bool RequireNonEmptySettings();
  bool ReadComposite();
  bool RequireFirmwareFiles();
  bool RequireDSPSignature();
  bool ReadUpgradeSwitches();
  void ReadInstallDirectory();
  void ProbeStatusFile();
  void RunMainWindow();

  // Reads a YES/NO switch (trimmed, upper-cased) of `section` into `flag`; false for any other
  // value.
  bool ReadSwitch(const char* section, const char* key, platform::BYTE& flag) const;

  platform::NamedMutex m_instanceMutex;  // held until the process ends
};

// The application object of the process, or null before it is built.
CCorvikUpgradeApp* GetCorvikUpgradeApp();

// Message box of a start-up failure: error icon, OK button, no owner window.
void ShowStartupFailure(const std::string& text, const std::string& caption);

// Start-up failure texts and captions.
inline constexpr char kProductCaption[] = "Halcyra Software Upgrade";
inline constexpr char kShortCaption[] = "Halcyra Upgrade";
inline constexpr char kNoWindowsDirText[] =
    "Can't Get Windows Dir!\nHalcyra Software Upgrade will exit";
inline constexpr char kNoSettingsText[] =
    "Can't Initialize setting!\nHalcyra Software Upgrade will exit!\nPlease reinstall application";
inline constexpr char kBadSettingsText[] =
    "Settings are not appropriate!\nHalcyra Software Upgrade will exit!\nPlease reinstall "
    "application";
inline constexpr char kMissingFilesText[] =
    "One or more firmware files missing!\nHalcyra Software Upgrade will exit!\nPlease reinstall "
    "application";
inline constexpr char kBadSignatureText[] =
    "DSP firmware file identification failed!\nHalcyra Software Upgrade will exit!\nPlease "
    "reinstall application";
