#include "device_link/bus_mail.h"

#include <cstddef>
#include <vector>

#include <gtest/gtest.h>

#include "device_link/command_codes.h"
#include "platform/exceptions.h"
#include "tests/unit/device_link/registered_link.h"

namespace {

using Bytes = std::vector<platform::BYTE>;

constexpr std::size_t kReportSize = 64;

class BusMailTest : public RegisteredLinkTest {
 protected:
  Bytes Build(platform::UINT code, const Bytes& payload = {}) {
    EXPECT_EQ(mail_.BuildRequest(payload, ToCommandCodeBytes(code)), CBusMail::kResultOk);
    return mail_.m_arrRequest;
  }

  int Verify(const Bytes& response) {
    mail_.m_arrResponse = response;
    mail_.m_bResponsePresent = 1;
    return mail_.VerifyResponse();
  }

  // A report whose every byte differs from its neighbours, with the reply code at 6 and 7.
  static Bytes Report(platform::UINT reply_code) {
    Bytes report(kReportSize);
    for (std::size_t i = 0; i < report.size(); ++i) {
      report[i] = static_cast<platform::BYTE>(0x40 + i);
    }
    report[6] = static_cast<platform::BYTE>(reply_code & 0xFF);
    report[7] = static_cast<platform::BYTE>(reply_code >> 8);
    return report;
  }

  CBusMail mail_;
};

TEST_F(BusMailTest, RequestFramesMatchTheProtocolByteForByte) {
  EXPECT_EQ(mail_.m_bRequestReady, 0);
  EXPECT_EQ(Build(UPD_GET_DSPFLASH_FW_VER),
            (Bytes{0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0x02, 0xD0, 0xFB}));
  EXPECT_EQ(mail_.m_bRequestReady, 1);
  EXPECT_EQ(Build(UPD_ENABLE_USB), (Bytes{0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0xAA, 0xD0, 0xA3}));
  EXPECT_EQ(Build(0xD015, {0x01, 0x00}),
            (Bytes{0x10, 0x00, 0x07, 0x18, 0x0F, 0x02, 0x15, 0xD0, 0x01, 0x00, 0x0F}));
}

TEST_F(BusMailTest, LongPayloadSetsLengthFieldAndWrapsTheChecksum) {
  Bytes payload(32);
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<platform::BYTE>(i + 1);
  }
  const Bytes frame = Build(UPD_INIT_UPGRADE_CONSOLEPARAMS, payload);
  ASSERT_EQ(frame.size(), 41u);
  EXPECT_EQ(frame[1], 0x00);
  EXPECT_EQ(frame[2], 0x25);
  EXPECT_EQ(Bytes(frame.begin() + 8, frame.end() - 1), payload);
  // 0x29 (fixed bytes) + 0xDB (code) + 528 (payload) = 788 = 0x314.
  EXPECT_EQ(frame.back(), 0x14);
}

TEST_F(BusMailTest, NewRequestReplacesTheEarlierFrame) {
  Build(UPD_INIT_UPGRADE_CONSOLEPARAMS, Bytes(32, 0xFF));
  EXPECT_EQ(Build(UPD_ENABLE_USB).size(), 9u);
}

TEST_F(BusMailTest, PayloadMustFitTheSixteenBitLengthField) {
  const Bytes largest = Build(UPD_ENABLE_USB, Bytes(CBusMail::kMaxPayloadLength, 0));
  EXPECT_EQ(largest[1], 0xFF);
  EXPECT_EQ(largest[2], 0xFF);
  EXPECT_EQ(largest.size(), 0xFFFFu + 4);

  mail_.m_bRequestReady = 0;
  EXPECT_THROW(
      mail_.BuildRequest(Bytes(CBusMail::kMaxPayloadLength + 1), ToCommandCodeBytes(0xD001)),
      platform::CInvalidArgException);
  EXPECT_EQ(mail_.m_bRequestReady, 0);
}

TEST_F(BusMailTest, VerifyResponseChecksPresenceSizeAndChecksum) {
  EXPECT_EQ(mail_.VerifyResponse(), CBusMail::kResultNoResponse);
  // Absent means absent, even when the stored bytes could not be read as a frame.
  mail_.m_arrResponse = {0x10};
  EXPECT_EQ(mail_.VerifyResponse(), CBusMail::kResultNoResponse);

  const Bytes frame = Build(0xD015, {0x01, 0x00});
  EXPECT_EQ(Verify(frame), CBusMail::kResultOk);

  Bytes changed_payload = frame;
  changed_payload[8] ^= 0x01;
  EXPECT_EQ(Verify(changed_payload), CBusMail::kResultBadChecksum);

  Bytes changed_checksum = frame;
  changed_checksum.back() ^= 0x80;
  EXPECT_EQ(Verify(changed_checksum), CBusMail::kResultBadChecksum);

  Bytes shortened = frame;
  shortened.erase(shortened.begin() + 8);
  EXPECT_EQ(Verify(shortened), CBusMail::kResultWrongSize);

  Bytes padded = frame;
  padded.push_back(0);
  EXPECT_EQ(Verify(padded), CBusMail::kResultWrongSize);

  // The start byte and the length's bytes lie outside the checksum.
  Bytes other_start = frame;
  other_start[0] = 0x55;
  EXPECT_EQ(Verify(other_start), CBusMail::kResultOk);
}

TEST_F(BusMailTest, VerifyResponseRefusesAStoredFrameTooShortToHoldALength) {
  EXPECT_THROW(Verify({0x10, 0x00}), platform::CInvalidArgException);
  EXPECT_EQ(Verify({0x10, 0x00, 0x00}), CBusMail::kResultWrongSize);
}

TEST_F(BusMailTest, DecodeMovesTheCodeInFrontAndZeroesTheTail) {
  const Bytes report = Report(0xD102);
  Bytes reply = report;
  EXPECT_EQ(mail_.DecodeResponse(reply, UPD_GET_DSPFLASH_FW_VER), CBusMail::kResultOk);

  Bytes expected = {0xD1, 0x02};
  expected.insert(expected.end(), report.begin() + 8, report.end());
  expected.resize(kReportSize, 0);
  EXPECT_EQ(reply, expected);
  EXPECT_EQ(Bytes(reply.end() - 6, reply.end()), Bytes(6, 0));
}

TEST_F(BusMailTest, DecodeRewritesTheReplyWhateverTheResult) {
  Bytes wrong_code = Report(0xD102);
  EXPECT_EQ(mail_.DecodeResponse(wrong_code, UPD_GET_CPLD_FW_VER), CBusMail::kResultWrongReplyCode);
  Bytes unknown_request = Report(0xD102);
  EXPECT_EQ(mail_.DecodeResponse(unknown_request, 0x1234), CBusMail::kResultUnknownRequest);

  Bytes decoded_ok = Report(0xD102);
  mail_.DecodeResponse(decoded_ok, UPD_GET_DSPFLASH_FW_VER);
  EXPECT_EQ(wrong_code, decoded_ok);
  EXPECT_EQ(unknown_request, decoded_ok);
}

TEST_F(BusMailTest, DecodeAcceptsOnlyTheRequestCodePlus0x100) {
  // Every request code of the table, and the codes without a row on either side of them.
  for (platform::UINT request = 0xD000; request <= 0xD0AF; ++request) {
    const bool in_table =
        (request >= 0xD001 && request <= 0xD01D) || (request >= 0xD0AA && request <= 0xD0AE);
    SCOPED_TRACE(request);
    Bytes answered = Report(request + 0x100);
    EXPECT_EQ(mail_.DecodeResponse(answered, request),
              in_table ? CBusMail::kResultOk : CBusMail::kResultUnknownRequest);
    if (in_table) {
      Bytes echoed = Report(request);
      EXPECT_EQ(mail_.DecodeResponse(echoed, request), CBusMail::kResultWrongReplyCode);
      Bytes error_reply = Report(0x9000);
      EXPECT_EQ(mail_.DecodeResponse(error_reply, request), CBusMail::kResultWrongReplyCode);
    }
  }
}

TEST_F(BusMailTest, DecodeOfShortRepliesKeepsTheirLength) {
  Bytes smallest = {0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0xAA, 0xD1};
  EXPECT_EQ(mail_.DecodeResponse(smallest, UPD_ENABLE_USB), CBusMail::kResultOk);
  EXPECT_EQ(smallest, (Bytes{0xD1, 0xAA, 0, 0, 0, 0, 0, 0}));

  // A whole 9-byte reply frame: only its checksum survives in front of the zero tail.
  Bytes frame = {0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0xAA, 0xD1, 0xA4};
  EXPECT_EQ(mail_.DecodeResponse(frame, UPD_ENABLE_USB), CBusMail::kResultOk);
  EXPECT_EQ(frame, (Bytes{0xD1, 0xAA, 0xA4, 0, 0, 0, 0, 0, 0}));

  Bytes garbled = {0xD1, 0xAA, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_THROW(mail_.DecodeResponse(garbled, UPD_ENABLE_USB), platform::CInvalidArgException);
}

}  // namespace
