#pragma once

// The program's main window: the guided wizard (template 1063, NORMAL mode) or the engineering
// window (template 104, VARSOLIN mode). It owns the console's state as the replies report it,
// the loaded step table, the state of the step runners and the worker thread.

#include <memory>
#include <string>
#include <vector>

#include "platform/containers/hash_map.h"
#include "platform/ui/dialog.h"
#include "platform/ui/font.h"
#include "platform/ui/icon.h"
#include "platform/ui/message_map.h"
#include "platform/win_types.h"
#include "upgrade_app/step_record.h"
#include "upgrade_app/worker_start.h"

class CCorvikUpgradeApp;
class CCorvikUpgradeDlgAutoProxy;
class CUpGradeThread;

class CCorvikUpgradeDlg : public platform::Dialog {
 public:
  explicit CCorvikUpgradeDlg(platform::UINT template_id, platform::HWND parent = nullptr);
  CCorvikUpgradeDlg(const CCorvikUpgradeDlg&) = delete;
  CCorvikUpgradeDlg& operator=(const CCorvikUpgradeDlg&) = delete;
  // Asks the worker to end (without waiting) and detaches an automation proxy.
  ~CCorvikUpgradeDlg() override;

  // The control sets that jobs switch.
  void DisableAllButtons();
  void EnableAllButtons();
  void EnableEngineeringType();
  void FillCommandList();
  void FillFirmwareTypeList();

  // Lets the worker run: the last step of every job hand-over.
  void ResumeWorker();
  // Tells when the worker thread has ended; null when none was started or it never ran.
  std::shared_ptr<platform::ThreadEnd> WorkerEnd() const;

  using TimerHandle = platform::INT_PTR;
  static constexpr TimerHandle kNoTimer = -1;
  static constexpr int kNothingPending = -1;
  static constexpr int kNoDeviceDetected = 3;

  CCorvikUpgradeApp* m_pApp;
  platform::BYTE m_bAborted = 0;
  int m_bFailDialogShown = 0;
  int m_nRetryCount = 0;
  std::string m_strCPLDVersion;
  std::string m_strDSPVersion;
  int m_nDSPMajor = 0;
  int m_nDSPMinor = 0;
  int m_nCVMMajor = 0;
  int m_nCVMMinor = 0;
  std::vector<platform::BYTE> m_arrConsoleParams;
  int m_nCountryCode = 0;
  int m_nLockStatus = 0;
  int m_nRadioStatus = 0;
  std::string m_strCVMVersion;
  int m_nStepDelay = 0;
  int m_nStepTimeout = 0;
  int m_nCurrentStep = 0;
  TimerHandle m_nReplyTimer = kNoTimer;
  TimerHandle m_nStepTimer = kNoTimer;
  int m_nPendingCommand = kNothingPending;
  CUpGradeThread* m_pUpgradeThread = nullptr;
  platform::HashMap<platform::UINT, _STRUCT_TASK> m_mapTask{platform::kDefaultHashTableSize};
  int m_nCVMImageLength = 0;
  int m_nCVMImageStart = 0;
  unsigned int m_nCVMImageChecksum = 0;
  platform::BYTE m_bSendBootBlock = 0;
  int m_nBBStep = 0;
  int m_nBBMode = 0;
  int m_nDetectionStep = 0;
  int m_nConsoleStep = 0;
  int m_nDetectionMode = 0;
  int m_nConsoleMode = 0;
  int m_nCVMMode = 0;
  int m_nCVMStep = 0;
  int m_nDetectionFailures = 0;
  int m_nEnableUSBFailures = 0;
  int m_nDeviceState = kNoDeviceDetected;
  int m_nDownloadsDone = 0;
  int m_nCVMPhase = 0;
  int m_nPhase = 0;
  std::string m_strFilePath;
  std::string m_strStatusText;
  int m_bShowStatusCheck = 1;
  CCorvikUpgradeDlgAutoProxy* m_pAutoProxy = nullptr;
  platform::HICON m_hIcon;
  platform::Font m_fontBold;
  platform::Font m_fontNormal;

 protected:
  platform::BOOL OnInitDialog() override;
  // Exit, Close and WM_CLOSE: ends the program, or only hides the window while an automation
  // client holds it.
  void OnOK() override;
  // Esc and command 1004 do nothing.
  void OnCancel() override;
  void OnSysCommand(platform::UINT command, platform::LPARAM lParam) override;
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                    platform::LRESULT& result) override;

 private:
  using Map = platform::MessageMap<CCorvikUpgradeDlg>;
  static const Map kMessageMap;

  platform::LRESULT OnQueryDragIcon(platform::WPARAM wParam, platform::LPARAM lParam);
  void OnAbout();
  platform::LRESULT OnUSBDeviceRemoved(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnUSBReadComplete(platform::WPARAM wParam, platform::LPARAM lParam);

  void CreateFonts();
  void ApplyFonts();
  void AddAboutMenuItem();
  void StartWorker();
  // Control access that skips ids the template does not have.
  void SetControlFont(int id, const platform::Font& font);
  void ShowControl(int id, int show_command);
  void EnableControl(int id, platform::BOOL enable);

  StartedWorker m_worker;
  bool m_bWorkerResumed = false;
};
