#pragma once

// The values a console reports in its replies, decoded from the reply as GetRecData hands it
// out: R0/R1 the reply code, R2 onward the payload. Only a verified reply is decoded.

#include <cstddef>
#include <span>
#include <string>

#include "platform/win_types.h"

namespace reply_decoding {

// Reads reply bytes unsigned; a byte past the end of the reply throws
// platform::CInvalidArgException instead of reading out of range.
class ReplyBytes {
 public:
  explicit ReplyBytes(std::span<const platform::BYTE> reply) : reply_(reply) {}

  int At(std::size_t index) const;

 private:
  std::span<const platform::BYTE> reply_;
};

struct VersionNumbers {
  int major = 0;
  int minor = 0;
};

// DSP flash version from R3, R2. An R3 of 0x10 or more packs the major into its high nibble and
// the minor's hundreds into its low nibble, with the tens and units in the nibbles of R2.
VersionNumbers DecodeDspVersion(const ReplyBytes& reply);
// "%03d.%03d": the form the settings file's DSP FileVer is compared with.
std::string DspVersionText(VersionNumbers version);
std::string DspVersionLine(VersionNumbers version);

// CPLD version: the four characters R5 R4 R3 R2, whatever their values.
std::string DecodeCpldVersion(const ReplyBytes& reply);
std::string CpldVersionLine(const std::string& version);

// Radio-module version: major R3, minor R2.
VersionNumbers DecodeCvmVersion(const ReplyBytes& reply);
// "%0x.%02x": the form the settings file's CVM FileVer is compared with.
std::string CvmVersionText(VersionNumbers version);
std::string CvmVersionLine(VersionNumbers version);

// Country code, lock status and radio verification status: R2.
int DecodeStatusByte(const ReplyBytes& reply);
std::string CountryCodeLine(int country_code);
std::string LockStatusLine(int lock_status);
std::string RadioStatusLine(int radio_status);

// The image-end reply's checksum, R3 first.
std::string ImageEndLine(const ReplyBytes& reply);

}  // namespace reply_decoding
