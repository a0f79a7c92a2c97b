#pragma once

// The 32-bit statuses and the failure results of the USBIO server.
//
// The COM result says whether a call could be carried out at all: it is negative for
// arguments that do not fit, for an instance without an open device, and for a request the
// device refuses. The status then says how the device took the call; besides 0 it carries the
// notes that callers rely on (open shared, pipe already bound, configuration already set,
// write answered at once, no report yet) with a success result. A device that cannot be
// opened is a status too (with a success result), so that a search can step over it.

#include <cstdint>

#include "platform/com/hresult.h"
#include "platform/win_types.h"

namespace outside::usbio_server {

constexpr platform::LONG MakeStatus(std::uint32_t bits) {
  return static_cast<platform::LONG>(bits);
}

inline constexpr platform::LONG kStatusSuccess = 0;
// Open: the device was already open on another instance; it is now open on this one too.
inline constexpr platform::LONG kStatusOpenShared = MakeStatus(0xE000A010);
// Bind: the instance already has a pipe; it keeps it.
inline constexpr platform::LONG kStatusPipeAlreadyBound = MakeStatus(0xE0001008);
// Select configuration: the device is in that configuration already.
inline constexpr platform::LONG kStatusConfigurationAlreadySet = MakeStatus(0xE0001005);
// Write: the device's answer was ready at once, so the caller need not pause.
inline constexpr platform::LONG kStatusWriteAnswered = MakeStatus(0xE000A009);
// Read: no report is waiting yet.
inline constexpr platform::LONG kStatusNoReport = MakeStatus(0xE000A005);

// Failures.
inline constexpr platform::LONG kStatusNoSuchDevice = MakeStatus(0xE0002001);
inline constexpr platform::LONG kStatusOpenRefused = MakeStatus(0xE0002002);
inline constexpr platform::LONG kStatusNotOpen = MakeStatus(0xE0002003);
inline constexpr platform::LONG kStatusNoSuchDescriptor = MakeStatus(0xE0002004);
inline constexpr platform::LONG kStatusNoSuchEndpoint = MakeStatus(0xE0002005);
inline constexpr platform::LONG kStatusNoPipe = MakeStatus(0xE0002006);
inline constexpr platform::LONG kStatusStreamNotStarted = MakeStatus(0xE0002007);
inline constexpr platform::LONG kStatusNoInterfaceParameters = MakeStatus(0xE0002008);
inline constexpr platform::LONG kStatusDeviceRefused = MakeStatus(0xE0002009);
inline constexpr platform::LONG kStatusInvalidParameter = MakeStatus(0xE000200A);

// Negative COM results of the server (besides E_POINTER and E_INVALIDARG).
inline constexpr platform::HRESULT USBIO_E_NOT_OPEN = platform::MakeHResult(0x80042001);
inline constexpr platform::HRESULT USBIO_E_NO_PIPE = platform::MakeHResult(0x80042002);
inline constexpr platform::HRESULT USBIO_E_NOT_STARTED = platform::MakeHResult(0x80042003);
inline constexpr platform::HRESULT USBIO_E_NOT_PREPARED = platform::MakeHResult(0x80042004);
inline constexpr platform::HRESULT USBIO_E_DEVICE_REFUSED = platform::MakeHResult(0x80042005);

}  // namespace outside::usbio_server
