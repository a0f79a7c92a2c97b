#pragma once

// The codec of one exchange with the console: a request frame built from a command code and a
// payload, the checks of a stored response frame, and the decoding of a received report. The
// constructor makes sure the application's command tables are written.
//
// Frame: 0x10, length L (big-endian, counts offset 3 up to the last payload byte), 0x18 0x0F
// 0x02, command code (little-endian), payload, checksum (sum of offset 3 up to the last payload
// byte, modulo 256). A reply has the same layout.

#include <array>
#include <cstddef>
#include <vector>

#include "device_link/application_link.h"
#include "platform/win_types.h"

// A command code as it travels: low byte first.
using CommandCodeBytes = std::array<platform::BYTE, 2>;

constexpr CommandCodeBytes ToCommandCodeBytes(platform::UINT code) {
  return {static_cast<platform::BYTE>(code & 0xFF),
          static_cast<platform::BYTE>((code >> 8) & 0xFF)};
}

class CBusMail {
 public:
  static constexpr int kResultOk = 0;
  static constexpr int kResultWrongSize = 7;
  static constexpr int kResultBadChecksum = 8;
  static constexpr int kResultNoResponse = 9;
  static constexpr int kResultUnknownRequest = 10;
  static constexpr int kResultWrongReplyCode = 11;

  // The longest payload whose length field (payload plus the 3 fixed bytes and the 2 code
  // bytes) still fits its 16 bits.
  static constexpr std::size_t kMaxPayloadLength = 0xFFFF - 5;

  CBusMail();
  CBusMail(const CBusMail&) = delete;
  CBusMail& operator=(const CBusMail&) = delete;

  // Replaces m_arrRequest by the frame for `code` and `payload` and returns kResultOk. The
  // tables are not consulted: the caller checks the payload length first. A payload longer
  // than kMaxPayloadLength raises CInvalidArgException.
  int BuildRequest(const std::vector<platform::BYTE>& payload, const CommandCodeBytes& code);

  // Checks the frame stored in m_arrResponse: kResultOk, kResultWrongSize, kResultBadChecksum
  // or kResultNoResponse. A stored frame shorter than 3 bytes raises CInvalidArgException.
  int VerifyResponse() const;

  // Rewrites `reply` in place: reply code high byte, low byte, then the bytes from the payload
  // on, with the last 6 bytes zero; the length stays. Returns kResultOk when the reply code is
  // the one expected for `requestCode`, kResultUnknownRequest when the command table has no row
  // for it, else kResultWrongReplyCode. Only the code bytes of the reply are interpreted. A
  // reply shorter than 8 bytes raises CInvalidArgException.
  int DecodeResponse(std::vector<platform::BYTE>& reply, platform::UINT requestCode) const;

  CApplicationLink* m_pApp;
  int m_bRequestReady = 0;
  // Set by the user of the object once it has stored a response frame in m_arrResponse.
  int m_bResponsePresent = 0;
  std::vector<platform::BYTE> m_arrRequest;
  std::vector<platform::BYTE> m_arrResponse;
};
