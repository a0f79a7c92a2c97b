#pragma once

// The one object through which the program reaches the console. Two transports stand behind
// the same operations: the USB access control hosted on a hidden form (dispatch ids), and three
// instances of the USBIO server (General, Read, Write). Each operation looks at the
// application's transport switch m_bControlTransport when it runs: 1 the control, 0 the
// server instances. Commands travel on the pair 0x03/0x83, file streams on 0x02/0x82, always
// as 64-byte reports. Lives on the worker thread, which owns it.
//
// A server call that fails (negative COM result, or an instance that could not be created) is
// raised as platform::_com_error to the caller.

#include <deque>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device_link/application_link.h"
#include "device_link/usb_access_form.h"
#include "device_link/usbio_events.h"
#include "outside/usbio_server/usbio_device_ptr.h"
#include "outside/usbio_server/usbio_status.h"
#include "platform/com/com_ptr.h"
#include "platform/com/hresult.h"
#include "platform/com/safe_array.h"
#include "platform/win_types.h"

// A command as the worker hands it to the transport.
struct _STRUCT_USB_COMMAND {
  int nCommand = 0;
  std::vector<platform::BYTE> arrPayload;
};

// States of the transport (m_nState).
inline constexpr int USB_STATE_AWAITING_REPLY = 0;
inline constexpr int USB_STATE_DOWNLOAD = 1;
inline constexpr int USB_STATE_IDLE = 3;

class CUSBAccess {
 public:
  static constexpr int kDeviceOpen = 1;
  static constexpr int kNoDevice = -2;      // open not accepted, or the search found no console
  static constexpr int kSearchDevice = -1;  // device number (open) or count (search)
  static constexpr int kUnknownCommand = 4;
  static constexpr int kBindFailed = 6;
  static constexpr int kConfigureFailed = 7;
  static constexpr int kDownloadDone = 1;
  static constexpr int kDownloadStopped = 0;  // the main window went away meanwhile
  static constexpr int kDownloadNoFile = -1;
  // CheckStatus's instance argument.
  static constexpr int kReadInstance = 0;
  static constexpr int kWriteInstance = 1;
  // ReadReport's results.
  static constexpr platform::DWORD kReportTaken = 0;
  static constexpr auto kNoReport =
      static_cast<platform::DWORD>(outside::usbio_server::kStatusNoReport);
  static constexpr platform::DWORD kLateReplyDropped = 1;

  // On the worker thread: initialises COM for it, creates the server instances (a box for each
  // one that cannot be made), connects the sinks and creates the hidden form with its control.
  CUSBAccess();
  CUSBAccess(const CUSBAccess&) = delete;
  CUSBAccess& operator=(const CUSBAccess&) = delete;
  ~CUSBAccess();

  // Enumerates on the General instance when it exists; the count is not kept.
  void EnumerateDevices();
  // kDeviceOpen, or kNoDevice. kSearchDevice searches for the console (found: it stays open on
  // all three instances).
  int OpenUSBDevice(int device_number);
  // The index of the console, or kNoDevice. A count of kSearchDevice enumerates first.
  int FindDevice(int device_count);
  // String descriptor 2 of the device open on the General instance; empty when the read fails.
  std::string ReadStringDescriptor();
  int ConfigureDevice();
  int BindCommandPipes();
  int StartFileStreams();
  // kUnknownCommand (nothing sent) for a code without a request length; otherwise 0 on the
  // server path (also when the payload length did not fit and nothing was sent) and the
  // control's result on the control path.
  int SendCommand(const _STRUCT_USB_COMMAND* command);
  // kReportTaken when a report was taken into `report` (64 bytes, decoded in place while
  // awaiting a reply, `valid` then says whether its reply code answered the command). Otherwise
  // both stay untouched: kNoReport when none was waiting, kLateReplyDropped when the report
  // answered an earlier request that went unanswered (the command sent goes on waiting).
  platform::DWORD ReadReport(std::vector<platform::BYTE>& report, platform::BYTE& valid);
  bool ResetDevice();
  int CloseDevice();
  // 0 on the control path; otherwise 0 when `result` and `status` are both 0, else the two
  // or-ed together.
  platform::DWORD CheckStatus(platform::HRESULT result, int instance, platform::LONG status) const;
  // Fresh 64-byte write and read arrays, the report copied into the write array. Returns 0.
  int CreateTransferArrays(std::span<const platform::BYTE> report);
  // Streams the file in 64-byte blocks through the Write instance (the image fields are not
  // used) and reports progress to the worker's main window with WM_UPG_FILE_PROGRESS.
  // kDownloadDone, kDownloadNoFile (nothing sent, no progress) or kDownloadStopped.
  int DownloadFile(const std::string& path, int image_length, int image_start, int image_checksum);
  int DownloadCVMFile(const std::string& path, int image_length, int image_start,
                      int image_checksum);

  CApplicationLink* m_pApp;
  platform::BYTE m_bReadSinkAdvised = 0;
  platform::BYTE m_bWriteSinkAdvised = 0;
  platform::BYTE m_bGeneralSinkAdvised = 0;
  // Reads still expected: 2 after a command, negative during a download, 0 otherwise.
  int m_nPendingReads = 0;
  int m_nState = USB_STATE_IDLE;
  // The command of the last report sent, for decoding its reply; 0 when none.
  int m_nCommand = 0;
  // Commands sent before m_nCommand whose reply had not come when the next one went out,
  // oldest first. The console answers in order, so their replies can still come before the
  // reply to m_nCommand.
  std::deque<int> m_unansweredCommands;
  CUSBAccessForm m_form;
  platform::SafeByteArray m_psaWrite;
  platform::SafeByteArray m_psaRead;
  platform::ComPtr<CUSBIOEvents> m_pReadSink;
  platform::ComPtr<CUSBIOEvents> m_pWriteSink;
  platform::ComPtr<CUSBIOEvents> m_pGeneralSink;
  outside::usbio_server::IUSBIOComDevicePtr m_pGeneral;
  outside::usbio_server::IUSBIOComDevicePtr m_pRead;
  outside::usbio_server::IUSBIOComDevicePtr m_pWrite;

 private:
  bool UsesControl() const { return m_pApp->m_bControlTransport != 0; }
  // The control's result as a signed 32-bit number.
  platform::LONG InvokeControl(platform::DISPID id, std::vector<platform::_variant_t> args = {});
  void PutControlProperty(platform::DISPID id, platform::_variant_t value);
  void CreateInstance(outside::usbio_server::IUSBIOComDevicePtr& instance);
  // Open of `index` on `instance` accepted (status 0 or shared).
  static bool OpenAccepted(const outside::usbio_server::IUSBIOComDevicePtr& instance, int index);
  static void CloseInstances(
      std::initializer_list<const outside::usbio_server::IUSBIOComDevicePtr*> instances);
  void ConnectSink(CUSBIOEvents& sink, const outside::usbio_server::IUSBIOComDevicePtr& instance,
                   platform::BYTE& advised);
  void DisconnectSink(CUSBIOEvents& sink, const outside::usbio_server::IUSBIOComDevicePtr& instance,
                      platform::BYTE& advised);
  // Binds the Write instance to `out_endpoint`, then the Read instance to `in_endpoint`, then
  // sets both pipes up. kBindFailed when a bind fails with a status other than `tolerated`.
  int BindPipes(platform::LONG out_endpoint, platform::LONG in_endpoint,
                std::optional<platform::LONG> tolerated);
  // Reads and drops the reports that wait on the command pipe (control path).
  void DiscardWaitingReports();
  // Remembers `command` as the one whose reply is awaited; one still awaited goes unanswered.
  void RememberCommandSent(int command);
  // True when `report` (decoded) answers a command that went unanswered: it is that command's
  // late reply. That command and the ones sent before it are forgotten, since their replies
  // can no longer come.
  bool TakeLateReply(const std::vector<platform::BYTE>& report);
  int StreamFile(const std::string& path);
  void WriteBlock(std::span<const platform::BYTE> block);
  void AwaitBlockAnswer();
  void DestroyTransferArrays();
};
