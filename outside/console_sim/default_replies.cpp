#include "outside/console_sim/default_replies.h"

namespace outside::console_sim {

// Payload byte 0 first. Versions read back as: DSP flash QVX.CON.01.511 (bytes 11 15), radio
// module 1.05 (05 01), CPLD "C106" (characters from the last byte to the first).
const ReplyTable& DefaultReplies() {
  static const ReplyTable kReplies = {
      {0xD001, {0x36, 0x30, 0x31, 0x43}},  // CPLD version "C106"
      {0xD002, {0x11, 0x15}},              // DSP flash 1.511: an old one
      {0xD003, {0x05, 0x01}},              // radio module 1.05: an old one
      {0xD019, {0x34, 0x12}},              // image end checksum 12 34
      {0xD01C, {0x01}},                    // country code 1 (parameter file ...DECT185.csv)
      {0xD01D, {0x00}},                    // lock status
      {0xD0AE, {0x01}},                    // radio verification passed
  };
  return kReplies;
}

const std::map<ImageKind, ReplyTable>& DefaultAfterImage() {
  static const std::map<ImageKind, ReplyTable> kAfterImage = {
      {ImageKind::kDsp, {{0xD002, {0x07, 0x16}}}},  // DSP flash 1.607
      {ImageKind::kCvm, {{0xD003, {0x10, 0x01}}}},  // radio module 1.10
  };
  return kAfterImage;
}

}  // namespace outside::console_sim
