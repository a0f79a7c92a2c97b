#pragma once

// Component strings: UTF-16 text with its length stored in front of the characters, so a
// string may hold zero characters and a null BSTR reads as the empty string. The program's own
// narrow strings are UTF-8; the converters below cross between the two.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// Copies of `text` (up to its terminating zero) or of `length` characters of it (`text` may be
// null then: the characters are zero). Free with SysFreeString.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Null is allowed.
void SysFreeString(BSTR text);
// Characters, not counting the terminator; 0 for null.
UINT SysStringLen(BSTR text);

// Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Owns one BSTR; copies are deep.
class _bstr_t {
 public:
  _bstr_t() = default;
  _bstr_t(const char* utf8);          // NOLINT(google-explicit-constructor): text converts freely
  _bstr_t(std::string_view utf8);     // NOLINT(google-explicit-constructor)
  _bstr_t(std::u16string_view text);  // NOLINT(google-explicit-constructor)
  // A copy of a component string; null stays null.
  _bstr_t(const OLECHAR* text);  // NOLINT(google-explicit-constructor)
  _bstr_t(const _bstr_t& other);
  _bstr_t(_bstr_t&& other) noexcept;
  _bstr_t& operator=(const _bstr_t& other);
  _bstr_t& operator=(_bstr_t&& other) noexcept;
  ~_bstr_t();

  // Takes ownership of `text` (no copy).
  static _bstr_t Attach(BSTR text);
  // Hands the string over to the caller, who frees it.
  BSTR Detach();

  // The string as an argument of a call; it stays owned here.
  BSTR GetBSTR() const { return text_; }
  // For out parameters: frees what is held and lends the slot.
  BSTR* GetAddress();
  UINT length() const { return SysStringLen(text_); }
  std::u16string_view View() const { return {text_, length()}; }
  std::string Utf8() const { return Utf16ToUtf8(View()); }

  friend bool operator==(const _bstr_t& a, const _bstr_t& b) { return a.View() == b.View(); }

 private:
  BSTR text_ = nullptr;
};

}  // namespace platform
