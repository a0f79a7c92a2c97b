#pragma once

// The fields of the application object that the USB device link shares with it. The
// application object derives from CApplicationLink and registers itself, so device-link code
// reaches the fields through GetApplicationLink() without depending on the application.

#include <atomic>
#include <mutex>
#include <string>
#include <utility>

#include "platform/containers/hash_map.h"
#include "platform/win_types.h"

class CApplicationLink {
 public:
  CApplicationLink() = default;
  CApplicationLink(const CApplicationLink&) = delete;
  CApplicationLink& operator=(const CApplicationLink&) = delete;
  // Unregisters the object when it is the registered one, so no stale pointer remains.
  virtual ~CApplicationLink();

  // Runs `fill` on this object the first time only, also when two threads ask at once; the
  // other caller returns once the tables are complete.
  template <typename Fill>
  void FillCommandTablesOnce(Fill&& fill) {
    std::call_once(command_tables_filled_, std::forward<Fill>(fill), *this);
  }

  // Command tables, keyed by command code.
  platform::HashMap<platform::UINT, std::string> m_mapCommandName;
  platform::HashMap<platform::UINT, platform::UINT> m_mapResponseCode;
  platform::HashMap<platform::UINT, platform::UINT> m_mapRequestLength;
  platform::HashMap<platform::UINT, platform::UINT> m_mapResponseLength;

  // Both threads use these, at moments the hand-over keeps apart; should a job still run when the
  // window starts the next sequence (a download that outlasted its time-out), the accesses
  // remain well defined.
  // USB device number of the console; -2 and -3 mean that none has been found yet.
  std::atomic<int> m_nDeviceNo = 0;
  // 1: the transport works through the USB access control; 0: through the USBIO COM objects.
  std::atomic<platform::BYTE> m_bControlTransport = 1;
  std::atomic<platform::BYTE> m_bSendingDSPFile = 0;
  std::atomic<platform::BYTE> m_bSendingBootBlockFile = 0;
  std::atomic<platform::BYTE> m_bSendingCVMFile = 0;

 private:
  std::once_flag command_tables_filled_;
};

// The registered application object. Throws std::logic_error when none is registered.
CApplicationLink& GetApplicationLink();
// Registers `link` (null: none) and returns the one registered before.
CApplicationLink* SetApplicationLink(CApplicationLink* link);
