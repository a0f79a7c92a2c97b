// The console-parameter file: the block of any text, and each field against the C library's
// strtol (base 16) saturated to 32 bits.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "tests/fuzz/fuzz_input.h"
#include "upgrade_app/images/console_params.h"

namespace {

std::int32_t StrtolOf32BitLong(const std::string& field) {
  const long long value = std::strtoll(field.c_str(), nullptr, 16);
  return static_cast<std::int32_t>(std::clamp<long long>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  ParseConsoleParams(text);
  // The C library stops at the first NUL.
  const std::string field(text.substr(0, text.find('\0')));
  if (HexFieldValue(field) != StrtolOf32BitLong(field)) fuzz::Broken("field differs from strtol");
  return 0;
}
