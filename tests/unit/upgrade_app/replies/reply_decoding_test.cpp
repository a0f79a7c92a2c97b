// The console's values as the reply checks decode them: every byte unsigned, and a reply too
// short for a value raises the framework's invalid-argument exception.

#include "upgrade_app/replies/reply_decoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/exceptions.h"

namespace {

using namespace reply_decoding;
using Bytes = std::vector<platform::BYTE>;

// A decoded reply: the reply code in R0/R1, the payload from R2 on, zero-filled to 64 bytes.
Bytes Reply(const Bytes& payload) {
  Bytes reply = {0xD1, 0x00};
  reply.insert(reply.end(), payload.begin(), payload.end());
  reply.resize(64, 0);
  return reply;
}

TEST(ReplyDecodingTest, DspVersion) {
  struct Case {
    platform::BYTE r2, r3;
    int major, minor;
    std::string text, line;
  };
  const Case cases[] = {
      {0x09, 0x12, 1, 209, "001.209", "\r\nDSP Flash F/W version: QVX.CON.01.209\r\n"},
      {0xD3, 0x01, 1, 211, "001.211", "\r\nDSP Flash F/W version: QVX.CON.01.211\r\n"},
      {0xFF, 0x0F, 15, 255, "015.255", "\r\nDSP Flash F/W version: QVX.CON.15.255\r\n"},
      {0x97, 0x10, 1, 97, "001.097", "\r\nDSP Flash F/W version: QVX.CON.01.097\r\n"},
      // The largest packed minor takes four digits.
      {0xFF, 0xFF, 15, 1665, "015.1665", "\r\nDSP Flash F/W version: QVX.CON.15.1665\r\n"},
  };
  for (const Case& c : cases) {
    const Bytes reply = Reply({c.r2, c.r3});
    const VersionNumbers version = DecodeDspVersion(ReplyBytes(reply));
    EXPECT_EQ(version.major, c.major) << c.text;
    EXPECT_EQ(version.minor, c.minor) << c.text;
    EXPECT_EQ(DspVersionText(version), c.text);
    EXPECT_EQ(DspVersionLine(version), c.line);
  }
}

TEST(ReplyDecodingTest, RadioModuleVersionKeepsTheMajorUnpaddedInItsStoredForm) {
  struct Case {
    platform::BYTE r2, r3;
    std::string text, line;
  };
  const Case cases[] = {
      {0x07, 0x00, "0.07", "\r\nCVM Flash F/W version: 00.07\r\n"},
      {0x07, 0x01, "1.07", "\r\nCVM Flash F/W version: 01.07\r\n"},
      {0x07, 0x1A, "1a.07", "\r\nCVM Flash F/W version: 1a.07\r\n"},
      {0xF0, 0xFF, "ff.f0", "\r\nCVM Flash F/W version: ff.f0\r\n"},
  };
  for (const Case& c : cases) {
    const Bytes reply = Reply({c.r2, c.r3});
    const VersionNumbers version = DecodeCvmVersion(ReplyBytes(reply));
    EXPECT_EQ(version.major, c.r3);
    EXPECT_EQ(version.minor, c.r2);
    EXPECT_EQ(CvmVersionText(version), c.text);
    EXPECT_EQ(CvmVersionLine(version), c.line);
  }
}

TEST(ReplyDecodingTest, CpldVersionIsTheFourBytesBackwardsWhateverTheirValues) {
  const Bytes reply = Reply({0x44, 0x43, 0x42, 0x41});
  EXPECT_EQ(DecodeCpldVersion(ReplyBytes(reply)), "ABCD");
  EXPECT_EQ(CpldVersionLine("ABCD"), "\r\nCPLD  F/W version: ABCD\r\n");

  const Bytes high = Reply({0x00, 0xFF, 0x80, 0x36});
  EXPECT_EQ(DecodeCpldVersion(ReplyBytes(high)), std::string("\x36\x80\xFF\x00", 4));
}

TEST(ReplyDecodingTest, StatusBytesAreUnsignedAndTheChecksumShowsR3First) {
  const Bytes country = Reply({0xFF});
  EXPECT_EQ(DecodeStatusByte(ReplyBytes(country)), 255);
  EXPECT_EQ(CountryCodeLine(255), "\r\nCountry code: 255\r\n");
  EXPECT_EQ(LockStatusLine(0), "\r\nLock Status: 0\r\n");
  EXPECT_EQ(RadioStatusLine(1), "\r\nRadio Verification status: 1\r\n");

  const Bytes image_end = Reply({0x34, 0x12});
  EXPECT_EQ(ImageEndLine(ReplyBytes(image_end)),
            "\r\nValid ImageEnd response received\r\nCVM Checksum: 12 34\r\n");
}

TEST(ReplyDecodingTest, AReplyTooShortForTheValueIsRefused) {
  const Bytes four = {0xD1, 0x02, 0x09, 0x12};
  EXPECT_NO_THROW(DecodeDspVersion(ReplyBytes(four)));
  EXPECT_THROW(DecodeCpldVersion(ReplyBytes(four)), platform::CInvalidArgException);

  const Bytes three = {0xD1, 0x02, 0x09};
  EXPECT_THROW(DecodeDspVersion(ReplyBytes(three)), platform::CInvalidArgException);
  EXPECT_THROW(DecodeCvmVersion(ReplyBytes(three)), platform::CInvalidArgException);
  EXPECT_THROW(ImageEndLine(ReplyBytes(three)), platform::CInvalidArgException);
  EXPECT_EQ(DecodeStatusByte(ReplyBytes(three)), 0x09);

  EXPECT_THROW(DecodeStatusByte(ReplyBytes(Bytes{})), platform::CInvalidArgException);
}

}  // namespace
