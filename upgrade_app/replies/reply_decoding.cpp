#include "upgrade_app/replies/reply_decoding.h"

#include "platform/exceptions.h"
#include "platform/text_format.h"

namespace reply_decoding {

namespace {

// Payload bytes: R2 is the first.
constexpr std::size_t kR2 = 2;
constexpr std::size_t kR3 = 3;
constexpr std::size_t kR4 = 4;
constexpr std::size_t kR5 = 5;

constexpr int kPackedMajorThreshold = 0x10;
constexpr int kNibbleBits = 4;
constexpr int kNibbleMask = 0x0F;
constexpr int kHundreds = 100;
constexpr int kTens = 10;

int HighNibble(int byte) { return byte >> kNibbleBits; }
int LowNibble(int byte) { return byte & kNibbleMask; }

}  // namespace

int ReplyBytes::At(std::size_t index) const {
  if (index >= reply_.size()) throw platform::CInvalidArgException();
  return reply_[index];
}

VersionNumbers DecodeDspVersion(const ReplyBytes& reply) {
  const int b3 = reply.At(kR3);
  const int b2 = reply.At(kR2);
  if (b3 < kPackedMajorThreshold) return {b3, b2};
  return {HighNibble(b3), kHundreds * LowNibble(b3) + kTens * HighNibble(b2) + LowNibble(b2)};
}

std::string DspVersionText(VersionNumbers version) {
  return platform::Format("%03d.%03d", version.major, version.minor);
}

std::string DspVersionLine(VersionNumbers version) {
  return platform::Format("\r\nDSP Flash F/W version: QVX.CON.%02d.%03d\r\n", version.major,
                          version.minor);
}

std::string DecodeCpldVersion(const ReplyBytes& reply) {
  std::string version;
  for (const std::size_t index : {kR5, kR4, kR3, kR2}) {
    version.push_back(static_cast<char>(reply.At(index)));
  }
  return version;
}

std::string CpldVersionLine(const std::string& version) {
  return "\r\nCPLD  F/W version: " + version + "\r\n";
}

VersionNumbers DecodeCvmVersion(const ReplyBytes& reply) {
  const int major = reply.At(kR3);
  return {major, reply.At(kR2)};
}

std::string CvmVersionText(VersionNumbers version) {
  return platform::Format("%0x.%02x", static_cast<unsigned>(version.major),
                          static_cast<unsigned>(version.minor));
}

std::string CvmVersionLine(VersionNumbers version) {
  return platform::Format("\r\nCVM Flash F/W version: %02x.%02x\r\n",
                          static_cast<unsigned>(version.major),
                          static_cast<unsigned>(version.minor));
}

int DecodeStatusByte(const ReplyBytes& reply) { return reply.At(kR2); }

std::string CountryCodeLine(int country_code) {
  return platform::Format("\r\nCountry code: %d\r\n", country_code);
}

std::string LockStatusLine(int lock_status) {
  return platform::Format("\r\nLock Status: %d\r\n", lock_status);
}

std::string RadioStatusLine(int radio_status) {
  return platform::Format("\r\nRadio Verification status: %d\r\n", radio_status);
}

std::string ImageEndLine(const ReplyBytes& reply) {
  const int high = reply.At(kR3);
  return platform::Format("\r\nValid ImageEnd response received\r\nCVM Checksum: %02x %02x\r\n",
                          static_cast<unsigned>(high), static_cast<unsigned>(reply.At(kR2)));
}

}  // namespace reply_decoding
