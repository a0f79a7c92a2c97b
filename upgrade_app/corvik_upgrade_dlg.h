#pragma once

// The program's main window: the guided wizard (template 1063, NORMAL mode) or the engineering
// window (template 104, VARSOLIN mode). It owns the console's state as the replies report it,
// the loaded step table, the state of the step runners and the worker thread.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device_link/upgrade_thread.h"
#include "platform/containers/hash_map.h"
#include "platform/ui/control_colors.h"
#include "platform/ui/dialog.h"
#include "platform/ui/font.h"
#include "platform/ui/icon.h"
#include "platform/ui/message_map.h"
#include "platform/win_types.h"
#include "upgrade_app/replies/taken_reply.h"
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

  // --- Step tables (sequencer/step_tables.cpp) ---
  void SetTaskMapDS(platform::BYTE flags);
  void SetTaskMapDSP1211(int flags, int variant);
  void SetTaskMapCVM();
  void SetTaskMapVerification();
  void SetTaskMapConsole();

  // --- Main runner, job senders and map starters (sequencer/step_runner.cpp) ---
  void UpgradeOnclick();
  platform::LRESULT OnNextTask(platform::WPARAM wParam, platform::LPARAM lParam);
  // 1, 2 or 3 when the version the current main step reads equals the settings' (CPLD, DSP,
  // radio module); else 0.
  int ActiveTask();
  void SendStepCommand(int command);
  void GenericSendCommandN(int command, const std::vector<platform::BYTE>& payload);
  void GenericSendUSBFile();
  void GenericIdentifyUSBDevice(int argument);
  void GenericResetDevice(int argument);
  void OnDetectUSBDevice();
  void OnResetUSBDevice();
  platform::LRESULT OnChooseDSPMap(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartUpgradeMap(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartDSP1209Map(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartDSMap(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartDSP1211Map(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartCVMMap(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartConsoleMap(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartVerificationMap(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartCVMUpgrade(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnSendCVM(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartVerification(platform::WPARAM wParam, platform::LPARAM lParam);

  // --- Timers, retries and abort (sequencer/sequencer_timers.cpp) ---
  void StartTimer(int elapse, int kind);
  void StopTimer(int kind);
  void OnTimer(platform::UINT_PTR id);
  // The reply time-out's abort: recovery dialog once, Exit enabled, step indexes back to 0; the
  // halt rule unless the recovery dialog was shown.
  void AbortUpgrade();
  // A sequence that ended without anything leading on: the user gets the way out back (Exit,
  // Close, and Upgrade in the wizard; the panel in the engineering window).
  void HaltSequence();
  // An abort that leads to the detection-failed texts: the count back to 0, aborted, Exit back.
  // True when it brought up the recovery dialog (see ShowFailDialogOnce).
  bool AbortToDetectionFailed();
  // Shows the recovery dialog unless it is up already. True when it was shown: a dialog that
  // leads on, so the caller does not halt. A choice starts the download or recovery that takes
  // the buttons; ended without one, the dialog gives the way out back itself.
  bool ShowFailDialogOnce();

  // --- Reply checks (replies/) ---
  platform::LRESULT ONGetReceiveResponseThread(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT FileSendStatus(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnReceivedResponse(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnCVMReceivedResponse(platform::WPARAM wParam, platform::LPARAM lParam);

  // --- Radio-module header and console parameters (images/) ---
  platform::LRESULT OnSendCVMHeader(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartConsoleParams(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnExecuteConsoleParamList(platform::WPARAM wParam, platform::LPARAM lParam);

  // --- Detection, radio-module and recovery runners (flow/runners.cpp) ---
  platform::LRESULT OnTaskSequenceCorvikDetect(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT SetExecuteTaskList(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnExecuteCVMTask(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnStartBBRecovery(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnExecuteBBRecovery(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnSendBBDSPFile(platform::WPARAM wParam, platform::LPARAM lParam);
  void ResetUpgradeFlow();

  // --- Wizard flow around the sequences (flow/user_flow.cpp) ---
  // True when the recovery dialog was shown (see ShowFailDialogOnce).
  bool DisplayDetectionFailed();
  void OnNext();
  void OnTroubleshoot();
  platform::LRESULT OnSendDSPFirmware(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnDSPFirmwareFile(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnEnableUpgrade(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnCVMFirmwareFile(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnBootBlockFirmwareFile(platform::WPARAM wParam, platform::LPARAM lParam);

  // --- Engineering panel (engineering_panel.cpp) ---
  void OnBrowse();
  void BrowseCVMFile();
  void OnSelchangeFirmwareType();
  void OnSelchangeCommand();
  void OnSendCommand();
  void OnSendFW();
  void OnClearWindow();
  void OnShowStatus();
  void OnAbout();
  void OnTestBusMail();
  void OnTestThreadTask();
  platform::LRESULT OnTestDlgMessage(platform::WPARAM wParam, platform::LPARAM lParam);

  // Control access that skips ids the template does not have.
  void SetControlFont(int id, const platform::Font& font);
  void ShowControl(int id, int show_command);
  void EnableControl(int id, platform::BOOL enable);
  void SetControlText(int id, std::string_view text);
  // Greys (or gives back) the Close item of the system menu, when the window has one.
  void EnableCloseCommand(bool enable);
  bool EngineeringMode() const;

  using TimerHandle = platform::INT_PTR;
  static constexpr TimerHandle kNoTimer = -1;
  static constexpr int kNothingPending = -1;
  static constexpr int kDeviceJob = 1;
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
  // The reply that a runner's posted check acts on, taken while the worker waited in its
  // WM_UPG_REPLY; set from the post until the check runs.
  std::optional<TakenReply> m_postedReply;
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
  // The title turns red while the upgrade stands aborted.
  void OnCtlColor(platform::ControlColors& colors, const platform::Control& control) override;
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                    platform::LRESULT& result) override;

 private:
  using Map = platform::MessageMap<CCorvikUpgradeDlg>;
  static const Map kMessageMap;

  platform::LRESULT OnQueryDragIcon(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnUSBDeviceRemoved(platform::WPARAM wParam, platform::LPARAM lParam);
  platform::LRESULT OnUSBReadComplete(platform::WPARAM wParam, platform::LPARAM lParam);

  // Job hand-over (sequencer/job_handover.cpp): the job is complete in the worker before
  // WM_UPG_RUN_TASK is posted and the worker resumed.
  void HandOverTask(const _STRUCT_THREAD_TASK& task, bool auto_delete);
  void HandOverCommandWithPayload(int command, const std::vector<platform::BYTE>& payload);
  // Hands the job in the worker's fields over and lets the worker run it.
  void RunHandedOverJob();
  // The DSP downloads the recovery dialog leads to (flow/dsp_download.cpp).
  void HandOverDspImage(const std::string& path, bool auto_delete);
  // Shared by the map starters.
  void StartMainTable(int first_step);
  void StartCVMTable(platform::UINT start_message);
  int DspTableFlags() const;

  void CreateFonts();
  void ApplyFonts();
  void AddAboutMenuItem();
  void StartWorker();

  StartedWorker m_worker;
  bool m_bWorkerResumed = false;
};
