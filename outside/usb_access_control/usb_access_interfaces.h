#pragma once

// The USB access control as its host sees it: a dispatch object invoked by the ids below and
// one event, dispatch id 1, whose arguments are a text naming what happened (BSTR by
// reference) and a value (long by reference: the enumeration index of the device concerned,
// -1 when there is none).
//
// The control belongs to the thread that created it; its events are queued to that thread's
// message loop, never raised inside the call that caused them.

#include "platform/com/dispatch.h"
#include "platform/com/guid.h"

namespace outside::usb_access_control {

inline constexpr platform::CLSID CLSID_USBAccess =
    platform::GuidLiteral("{74A35C0E-7D04-46B4-AACC-62540C31C112}");
// The control's event interface (a dispatch interface with the one event); a sink answers
// for it.
struct _DUSBAccessEvents : platform::Extends<platform::IDispatch> {
  static constexpr platform::IID kIid =
      platform::GuidLiteral("{5E0B6A4D-2C71-4F38-9D16-83A7C2E4B901}");
};
inline constexpr platform::IID DIID__DUSBAccessEvents = _DUSBAccessEvents::kIid;
inline constexpr platform::DISPID kDispidControlEvent = 1;

// Property puts (one argument each).
// Boolean: raise the read- and write-complete events (off until put). Arrival and removal
// notices do not depend on it.
inline constexpr platform::DISPID kDispidEventsEnabled = 0x68030001;
// Long endpoint addresses of the two pipe pairs; each IN address has bit 7 set, each OUT
// address has it clear (E_INVALIDARG otherwise).
inline constexpr platform::DISPID kDispidFileInEndpoint = 0x68030002;
inline constexpr platform::DISPID kDispidFileOutEndpoint = 0x68030003;
inline constexpr platform::DISPID kDispidCommandOutEndpoint = 0x68030004;
inline constexpr platform::DISPID kDispidCommandInEndpoint = 0x68030005;

// Methods. Short results: 0 done, -1 failed (identify: the device number, -2 none).
// Open(long& device_number): opens that enumeration index; -1 searches for the console first
// and writes the index found (or -2) back.
inline constexpr platform::DISPID kDispidOpen = 0x60030006;
// Identify(long& count): the index of the first device whose string descriptor 2 holds the
// console's identity and that can be opened; a count of -1 is replaced by the number of
// attached devices first.
inline constexpr platform::DISPID kDispidIdentify = 0x60030007;
// BindCommandPipes(): binds the command pair to the open device.
inline constexpr platform::DISPID kDispidBindCommandPipes = 0x60030009;
// BindFilePipes(): binds the file pair to the open device.
inline constexpr platform::DISPID kDispidBindFilePipes = 0x6003000b;
// Write(variant& report): writes the byte array (1 to 64 bytes) held by the variant on the
// command OUT pipe; raises "WriteComplete:Write".
inline constexpr platform::DISPID kDispidWrite = 0x6003000d;
// Close(): lets the device and its pipes go.
inline constexpr platform::DISPID kDispidClose = 0x60030010;
// Configure(): selects the device's configuration 1.
inline constexpr platform::DISPID kDispidConfigure = 0x60030011;
// Read(variant& report, bool& taken): takes the oldest report waiting on the command IN pipe
// into the variant's byte array (filled in place when it holds 64 bytes or more, else
// replaced by a new 64-byte array) and sets `taken`; returns the number of bytes taken as a
// long (0 when none was waiting; the array is then left alone).
inline constexpr platform::DISPID kDispidRead = 0x60030012;
// Reset(): a USB reset of the open device; returns a boolean, true when done.
inline constexpr platform::DISPID kDispidReset = 0x60030013;

// Event texts.
inline constexpr char kTextReadComplete[] = "ReadComplete:Read";
inline constexpr char kTextWriteComplete[] = "WriteComplete:Write";
inline constexpr char kTextDeviceArrived[] = "PnPAddNotification:General";
inline constexpr char kTextDeviceRemoved[] = "PnpRemoveNotification:General";
// A write that the device refused, an open that failed.
inline constexpr char kTextWriteError[] = "Error:Write";
inline constexpr char kTextOpenError[] = "Error:Open";

}  // namespace outside::usb_access_control
