#include "device_link/bus_mail.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <optional>
#include <utility>

#include "device_link/command_codes.h"
#include "platform/exceptions.h"

using platform::BYTE;
using platform::UINT;

namespace {

constexpr BYTE kStartByte = 0x10;
constexpr std::array<BYTE, 3> kFixedBytes = {0x18, 0x0F, 0x02};

constexpr std::size_t kLengthHighOffset = 1;
constexpr std::size_t kLengthLowOffset = 2;
constexpr std::size_t kFixedBytesOffset = 3;
constexpr std::size_t kCodeLowOffset = 6;
constexpr std::size_t kCodeHighOffset = 7;
constexpr std::size_t kPayloadOffset = 8;

// The length field counts the fixed bytes, the code and the payload.
constexpr std::size_t kLengthFieldOverhead = 5;
// Start byte, length field and checksum are outside the length field's count.
constexpr std::size_t kFrameOutsideLength = 4;
constexpr std::size_t kFrameOverhead = kLengthFieldOverhead + kFrameOutsideLength;

constexpr std::size_t kMinVerifiableSize = 3;
constexpr std::size_t kMinDecodableSize = 8;
// The decoded reply starts with the code; the bytes from the payload on follow it, which
// leaves the last 6 bytes zero.
constexpr std::size_t kDecodedCodeSize = 2;

struct CommandRow {
  UINT request_code;
  UINT request_length;
  std::optional<UINT> reply_length;
};

// In the order the rows are written; the reply-length table takes the rows that have a length.
constexpr std::array<CommandRow, 34> kCommandRows = {{
    {0xD001, 0, 2},
    {0xD002, 0, 2},
    {0xD003, 0, 2},
    {0xD004, 0, 2},
    {0xD005, 0, 2},
    {0xD006, 0, 1},
    {0xD007, 0, 0},
    {0xD008, 0, 1},
    {0xD009, 0, 1},
    {0xD00A, 0, 1},
    {0xD00B, 32, 1},
    {0xD00C, 0, 1},
    {0xD00D, 3, 255},
    {0xD00E, 255, 1},
    {0xD00F, 0, 1},
    {0xD010, 0, 4},
    {0xD011, 0, 4},
    {0xD012, 0, 4},
    {0xD013, 1, 0},
    {0xD014, 0, 0},
    {0xD015, 2, 0},
    {0xD016, 2, 0},
    {0xD017, 2, 0},
    {0xD018, 2, 0},
    {0xD019, 32, 2},
    {0xD01A, 0, 0},
    {0xD01B, 32, std::nullopt},
    {0xD0AA, 0, 0},
    {0xD0AC, 0, std::nullopt},
    {0xD0AB, 0, 0},
    {0xD01C, 0, 0},
    {0xD01D, 0, std::nullopt},
    {0xD0AD, 0, 0},
    {0xD0AE, 0, 0},
}};

struct CommandName {
  UINT request_code;
  const char* name;
};

// The write order decides the order in which the engineering window lists the names.
constexpr std::array<CommandName, 18> kCommandNames = {{
    {UPD_GET_CPLD_FW_VER, "UPD_GET_CPLD_FW_VER"},
    {UPD_GET_DSPFLASH_FW_VER, "UPD_GET_DSPFLASH_FW_VER"},
    {UPD_INIT_UPGRADE_DSP_COMP, "UPD_INIT_UPGRADE_DSP_COMP"},
    {UPD_INIT_UPGRADE_DSPFLASH, "UPD_INIT_UPGRADE_DSPFLASH"},
    {UPD_ENABLE_USB, "UPD_ENABLE_USB"},
    {UPD_ENABLE_USB_UPGRADE, "UPD_ENABLE_USB_UPGRADE"},
    {UPD_RESET_CONSOLE, "UPD_RESET_CONSOLE"},
    {UPD_INIT_UPGRADE_RADIOPARAMS, "UPD_INIT_UPGRADE_RADIOPARAMS"},
    {UPD_SEND_CVM_HEADER, "UPD_SEND_CVM_HEADER"},
    {UPD_GET_RADIO_MODE, "UPD_GET_RADIO_MODE"},
    {UPD_GET_CVM_LOCK_STATUS, "UPD_GET_CVM_LOCK_STATUS"},
    {UPD_CVM_IMAGE_END, "UPD_CVM_IMAGE_END"},
    {UPD_SEND_CVM_BOOTLOADER, "UPD_SEND_CVM_BOOTLOADER"},
    {UPD_GET_CVMFLASH_FW_VER, "UPD_GET_CVMFLASH_FW_VER"},
    {UPD_INIT_UPGRADE_CVMFLASH, "UPD_INIT_UPGRADE_CVMFLASH"},
    {UPD_INIT_UPGRADE_CONSOLEPARAMS, "UPD_INIT_UPGRADE_CONSOLEPARAMS"},
    {UPD_INIT_VERIFY_RADIO_STATUS, "UPD_INIT_VERIFY_RADIO_STATUS"},
    {UPD_GET_RADIO_STATUS, "UPD_GET_RADIO_STATUS"},
}};

void WriteCommandTables(CApplicationLink& app) {
  for (const CommandRow& row : kCommandRows) {
    app.m_mapResponseCode.SetAt(row.request_code, row.request_code + kReplyCodeOffset);
  }
  for (const CommandRow& row : kCommandRows) {
    app.m_mapRequestLength.SetAt(row.request_code, row.request_length);
  }
  for (const CommandRow& row : kCommandRows) {
    if (row.reply_length) {
      app.m_mapResponseLength.SetAt(row.request_code + kReplyCodeOffset, *row.reply_length);
    }
  }
  for (const CommandName& row : kCommandNames) {
    app.m_mapCommandName.SetAt(row.request_code, row.name);
  }
}

// Sum modulo 256 of the bytes in [first, last).
BYTE Checksum(std::vector<BYTE>::const_iterator first, std::vector<BYTE>::const_iterator last) {
  return std::accumulate(first, last, BYTE{0},
                         [](BYTE sum, BYTE byte) { return static_cast<BYTE>(sum + byte); });
}

}  // namespace

CBusMail::CBusMail() : m_pApp(&GetApplicationLink()) {
  m_pApp->FillCommandTablesOnce(WriteCommandTables);
}

int CBusMail::BuildRequest(const std::vector<BYTE>& payload, const CommandCodeBytes& code) {
  if (payload.size() > kMaxPayloadLength) {
    throw platform::CInvalidArgException();
  }
  const std::size_t length = payload.size() + kLengthFieldOverhead;
  m_arrRequest.assign(payload.size() + kFrameOverhead, 0);
  m_arrRequest[0] = kStartByte;
  m_arrRequest[kLengthHighOffset] = static_cast<BYTE>(length >> 8);
  m_arrRequest[kLengthLowOffset] = static_cast<BYTE>(length & 0xFF);
  std::copy(kFixedBytes.begin(), kFixedBytes.end(), m_arrRequest.begin() + kFixedBytesOffset);
  m_arrRequest[kCodeLowOffset] = code[0];
  m_arrRequest[kCodeHighOffset] = code[1];
  std::copy(payload.begin(), payload.end(), m_arrRequest.begin() + kPayloadOffset);
  m_arrRequest.back() = Checksum(m_arrRequest.begin() + kFixedBytesOffset, m_arrRequest.end() - 1);
  m_bRequestReady = 1;
  return kResultOk;
}

int CBusMail::VerifyResponse() const {
  if (m_bResponsePresent == 0) {
    return kResultNoResponse;
  }
  if (m_arrResponse.size() < kMinVerifiableSize) {
    throw platform::CInvalidArgException();
  }
  const std::size_t length =
      std::size_t{m_arrResponse[kLengthHighOffset]} * 256 + m_arrResponse[kLengthLowOffset];
  if (m_arrResponse.size() != length + kFrameOutsideLength) {
    return kResultWrongSize;
  }
  const BYTE sum = Checksum(m_arrResponse.begin() + kFixedBytesOffset, m_arrResponse.end() - 1);
  return sum == m_arrResponse.back() ? kResultOk : kResultBadChecksum;
}

int CBusMail::DecodeResponse(std::vector<BYTE>& reply, UINT requestCode) const {
  if (reply.size() < kMinDecodableSize) {
    throw platform::CInvalidArgException();
  }
  const std::vector<BYTE> received = std::move(reply);
  reply.assign(received.size(), 0);
  reply[0] = received[kCodeHighOffset];
  reply[1] = received[kCodeLowOffset];
  std::copy(received.begin() + kPayloadOffset, received.end(), reply.begin() + kDecodedCodeSize);
  const UINT reply_code = UINT{received[kCodeHighOffset]} * 256 + received[kCodeLowOffset];

  UINT expected_code = 0;
  if (!m_pApp->m_mapResponseCode.Lookup(requestCode, expected_code)) {
    return kResultUnknownRequest;
  }
  return reply_code == expected_code ? kResultOk : kResultWrongReplyCode;
}
