#pragma once

// The USBIO server as its callers see it: the class, the device interface IUSBIOComDevice
// (one instance talks to one device at a time) and the event interface
// _IUSBIOInterfaceEvents3.
//
// Every method returns a COM result (see usbio_status.h for what is negative and what is a
// status). An instance belongs to the thread that created it; its events are queued to that
// thread's message loop, never raised inside the call that caused them.

#include "platform/com/bstr.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/safe_array.h"
#include "platform/com/unknown.h"
#include "platform/win_types.h"

namespace outside::usbio_server {

using platform::BSTR;
using platform::HRESULT;
using platform::LONG;
using platform::SAFEARRAY;

inline constexpr platform::CLSID CLSID_USBIOCOM =
    platform::GuidLiteral("{B949A098-6A08-4EEE-B32D-CA0D19BBF24E}");
inline constexpr platform::GUID LIBID_USBIOCOMLib =
    platform::GuidLiteral("{F95AB400-6BA5-44DD-BF19-AAB5AD44CD65}");

// The device-interface class whose devices the server enumerates (compared without regard to
// letter case).
inline constexpr char kDeviceInterfaceClass[] = "{325ddf96-938c-11d3-9e34-0080c82727f4}";

struct IUSBIOComDevice : platform::Extends<platform::IUnknown> {
  static constexpr platform::IID kIid =
      platform::GuidLiteral("{775938FE-790A-476E-BA6D-20BE61EFE5BC}");

  // The number of attached devices of the class `device_interface_guid` names (0 for another
  // class).
  virtual HRESULT Enumerate(BSTR device_interface_guid, LONG* device_count) = 0;
  // Opens the device at enumeration index `device_index` (closing the one held before).
  // Status 0, or kStatusOpenShared when another instance has it open too; kStatusNoSuchDevice
  // and kStatusOpenRefused (with a success result) when nothing was opened.
  virtual HRESULT Open(LONG device_index, LONG* status) = 0;
  // Lets the device go (pipe, streams, open). Always succeeds.
  virtual HRESULT Close() = 0;
  // Copies string descriptor `index` in its wire form (length byte, type byte 3, UTF-16LE
  // text) to the start of `*descriptor`, zero-fills the rest of the array, and sets `*size` to
  // the bytes copied; at most `*size` bytes on entry and no more than the array holds.
  // `language_id` is not looked at (the devices have one language).
  virtual HRESULT GetStringDescriptor(SAFEARRAY** descriptor, LONG* size, LONG index,
                                      LONG language_id, LONG* status) = 0;
  // Interface 0, alternate setting 0, and the largest transfer (at least one report).
  virtual HRESULT SetInterfaceParameters(LONG interface_number, LONG alternate_setting,
                                         LONG max_transfer_size, LONG* status) = 0;
  // Configuration preamble: forgets the interface parameters set before.
  virtual HRESULT ClearInterfaceParameters() = 0;
  // Needs the interface parameters set on this instance. kStatusConfigurationAlreadySet when
  // the device is in that configuration already.
  virtual HRESULT SelectConfiguration(LONG configuration, LONG* status) = 0;
  // First close step: stops the instance's streams and lets its pipe go. Always succeeds
  // (kStatusNoPipe when there was none).
  virtual HRESULT UnbindPipe(LONG* status) = 0;
  // Second close step: forgets the interface parameters and takes the device out of its
  // configuration, unless it has left the bus (its last replies stay readable). Always
  // succeeds (kStatusNotOpen when no device is open).
  virtual HRESULT Unconfigure(LONG* status) = 0;
  // A USB reset of the open device: it stays on the bus, unconfigured.
  virtual HRESULT ResetDevice(LONG* status) = 0;
  // Binds the instance's one pipe to `endpoint_address`; kStatusPipeAlreadyBound (the pipe
  // stays as it was) when the instance has a pipe already.
  virtual HRESULT Bind(LONG endpoint_address, LONG* status) = 0;
  // Starts the read stream of an IN pipe: `report_size` must be one report (64 bytes),
  // `buffer_count` at least 1, `error_limit` not negative. While it runs, each report that
  // becomes ready raises the read-complete event.
  virtual HRESULT StartReading(LONG report_size, LONG buffer_count, LONG error_limit,
                               LONG* status) = 0;
  // Takes one waiting report into `*buffer` (created when null; it must hold `size` bytes)
  // with status 0, or leaves the buffer as it is with kStatusNoReport. `size` must be 64.
  virtual HRESULT Read(SAFEARRAY** buffer, LONG size, LONG* status) = 0;
  // Always succeeds.
  virtual HRESULT StopReading() = 0;
  // Starts the write stream of an OUT pipe; arguments as StartReading, `flags` must be 0.
  virtual HRESULT StartWriting(LONG report_size, LONG buffer_count, LONG error_limit, LONG flags,
                               LONG* status) = 0;
  // Writes the whole array (1 to 64 bytes) as one report; `flags` must be 0. Status 0 or
  // kStatusWriteAnswered; raises the write-complete event.
  virtual HRESULT Write(SAFEARRAY* buffer, LONG flags, LONG* status) = 0;
  // Ends the write stream (which ends a file stream the device was taking). Always succeeds.
  virtual HRESULT StopWriting() = 0;
  // Pipe setup after bind: an IN pipe drops the reports already waiting on it.
  virtual HRESULT ResetPipe(LONG* status) = 0;
  // From now on the instance raises the arrival event for every device that arrives and the
  // removal event when its own device is removed. `*registration` receives a number that
  // names the request.
  virtual HRESULT RequestNotifications(BSTR device_interface_guid, LONG* registration) = 0;
};

// The event interface: each event's one argument is the raising instance, as VT_UNKNOWN
// (QueryInterface it for IUSBIOComDevice).
struct _IUSBIOInterfaceEvents3 : platform::Extends<platform::IDispatch> {
  static constexpr platform::IID kIid =
      platform::GuidLiteral("{3C83A43F-CFD4-4781-8949-04EDDBD3E191}");
};
inline constexpr platform::IID DIID__IUSBIOInterfaceEvents3 = _IUSBIOInterfaceEvents3::kIid;

// Event dispatch ids. Event 3 belongs to the interface but this server never raises it.
inline constexpr platform::DISPID kEventReadComplete = 1;
inline constexpr platform::DISPID kEventWriteComplete = 2;
inline constexpr platform::DISPID kEventUnused = 3;
inline constexpr platform::DISPID kEventDeviceArrival = 4;
inline constexpr platform::DISPID kEventDeviceRemoval = 5;

}  // namespace outside::usbio_server
