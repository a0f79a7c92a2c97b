#include "device_check/device_search.h"

#include <span>
#include <string>

#include "device_check/library_objects.h"
#include "platform/com/bstr.h"
#include "platform/com/safe_array.h"

namespace virelo {

namespace {

constexpr platform::LONG kDescriptorBufferSize = 256;
constexpr platform::LONG kIdentityDescriptorIndex = 2;
constexpr platform::LONG kLanguageNeutral = 0;
constexpr platform::LONG kStatusSuccess = 0;

// Little-endian UTF-16 characters up to the first zero one (or the end of the bytes).
std::u16string Utf16UpToZero(std::span<const platform::BYTE> bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto character = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (character == u'\0') {
      break;
    }
    text.push_back(character);
  }
  return text;
}

bool HoldsIdentity(const std::string& descriptor_text) {
  // Position 0 is the descriptor's header, so a match there is no match.
  const std::size_t position = descriptor_text.find(g_strDeviceId);
  return position != std::string::npos && position > 0;
}

}  // namespace

int FindDevice(platform::LONG device_count) {
  if (device_count == kEnumerateFirst) {
    g_pUSBIODevice.Enumerate(g_bstrDeviceInterfaceGuid.GetBSTR(), &device_count);
  }
  for (platform::LONG index = 0; index < device_count; ++index) {
    platform::LONG status = kStatusSuccess;
    const platform::HRESULT hr = g_pUSBIODevice.Open(index, &status);
    if (hr == platform::S_OK && status == kStatusSuccess && HoldsIdentity(ReadStringDescriptor())) {
      return index;
    }
    g_pUSBIODevice.Close();
  }
  return kNoConsole;
}

std::string ReadStringDescriptor() {
  platform::SafeByteArray descriptor(kDescriptorBufferSize);
  platform::SAFEARRAY* array = descriptor.Get();
  platform::LONG size = kDescriptorBufferSize;
  platform::LONG status = kStatusSuccess;
  const platform::HRESULT hr = g_pUSBIODevice.GetStringDescriptor(
      &array, &size, kIdentityDescriptorIndex, kLanguageNeutral, &status);
  if (hr != platform::S_OK || status != kStatusSuccess) {
    return {};
  }
  // The server fills the caller's array in place.
  return platform::Utf16ToUtf8(Utf16UpToZero(descriptor.Bytes()));
}

}  // namespace virelo
