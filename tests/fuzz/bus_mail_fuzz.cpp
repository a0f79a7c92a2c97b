// The checks and the decoding of a console reply. Input: two bytes of request code, then the
// reply frame.

#include <vector>

#include "device_link/application_link.h"
#include "device_link/bus_mail.h"
#include "platform/exceptions.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr std::size_t kCodeBytes = 2;
constexpr std::size_t kMinVerifiableSize = 3;
constexpr std::size_t kMinDecodableSize = 8;

// The command tables live in the application's link object.
void RegisterLinkOnce() {
  static CApplicationLink link;
  static const bool registered = SetApplicationLink(&link) == nullptr;
  static_cast<void>(registered);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RegisterLinkOnce();
  if (size < kCodeBytes) return 0;
  const platform::UINT request = platform::UINT{data[0]} * 256 + data[1];
  const std::vector<platform::BYTE> frame(data + kCodeBytes, data + size);

  CBusMail mail;
  mail.m_arrResponse = frame;
  mail.m_bResponsePresent = 1;
  try {
    mail.VerifyResponse();
  } catch (const platform::CInvalidArgException&) {
    if (frame.size() >= kMinVerifiableSize) fuzz::Broken("verifiable frame refused");
  }

  std::vector<platform::BYTE> reply = frame;
  try {
    mail.DecodeResponse(reply, request);
  } catch (const platform::CInvalidArgException&) {
    if (frame.size() >= kMinDecodableSize) fuzz::Broken("decodable reply refused");
    return 0;
  }
  if (reply.size() != frame.size()) fuzz::Broken("decoding changed the reply's length");
  return 0;
}
