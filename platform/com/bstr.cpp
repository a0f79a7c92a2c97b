#include "platform/com/bstr.h"

#include <cstring>
#include <new>
#include <utility>

namespace platform {

namespace {

using LengthPrefix = std::uint32_t;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;

// The allocation begins with the length prefix; the BSTR points just behind it.
LengthPrefix* PrefixOf(BSTR text) { return reinterpret_cast<LengthPrefix*>(text) - 1; }

bool IsSurrogate(char32_t c) { return c >= kFirstSurrogate && c <= kLastSurrogate; }

void AppendUtf16(std::u16string& out, char32_t code_point) {
  if (code_point < kFirstSupplementary) {
    out.push_back(static_cast<char16_t>(code_point));
    return;
  }
  const char32_t offset = code_point - kFirstSupplementary;
  out.push_back(static_cast<char16_t>(kFirstSurrogate + (offset >> 10U)));
  out.push_back(static_cast<char16_t>(kFirstLowSurrogate + (offset & 0x3FFU)));
}

void AppendUtf8(std::string& out, char32_t code_point) {
  const auto byte = [&](char32_t value) { out.push_back(static_cast<char>(value)); };
  if (code_point < 0x80) {
    byte(code_point);
  } else if (code_point < 0x800) {
    byte(0xC0 | (code_point >> 6U));
    byte(0x80 | (code_point & 0x3FU));
  } else if (code_point < kFirstSupplementary) {
    byte(0xE0 | (code_point >> 12U));
    byte(0x80 | ((code_point >> 6U) & 0x3FU));
    byte(0x80 | (code_point & 0x3FU));
  } else {
    byte(0xF0 | (code_point >> 18U));
    byte(0x80 | ((code_point >> 12U) & 0x3FU));
    byte(0x80 | ((code_point >> 6U) & 0x3FU));
    byte(0x80 | (code_point & 0x3FU));
  }
}

// Decodes one UTF-8 sequence at `position` and moves past it; overlong forms, surrogates and
// truncated sequences give the replacement character.
char32_t DecodeUtf8(std::string_view text, std::size_t& position) {
  const auto lead = static_cast<unsigned char>(text[position++]);
  if (lead < 0x80) {
    return lead;
  }
  int continuation = 0;
  char32_t code_point = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0U) == 0xC0U) {
    continuation = 1;
    code_point = lead & 0x1FU;
    smallest = 0x80;
  } else if ((lead & 0xF0U) == 0xE0U) {
    continuation = 2;
    code_point = lead & 0x0FU;
    smallest = 0x800;
  } else if ((lead & 0xF8U) == 0xF0U) {
    continuation = 3;
    code_point = lead & 0x07U;
    smallest = kFirstSupplementary;
  } else {
    return kReplacement;
  }
  for (int i = 0; i < continuation; ++i) {
    if (position >= text.size() || (static_cast<unsigned char>(text[position]) & 0xC0U) != 0x80U) {
      return kReplacement;
    }
    code_point = (code_point << 6U) | (static_cast<unsigned char>(text[position++]) & 0x3FU);
  }
  if (code_point < smallest || code_point > kLastCodePoint || IsSurrogate(code_point)) {
    return kReplacement;
  }
  return code_point;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) {
    return nullptr;
  }
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<char16_t>::length(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  void* const memory = ::operator new(sizeof(LengthPrefix) + (length + 1) * sizeof(OLECHAR));
  auto* const prefix = static_cast<LengthPrefix*>(memory);
  *prefix = length;
  BSTR const characters = reinterpret_cast<BSTR>(prefix + 1);
  if (text != nullptr) {
    std::memcpy(characters, text, length * sizeof(OLECHAR));
  } else {
    std::memset(characters, 0, length * sizeof(OLECHAR));
  }
  characters[length] = u'\0';
  return characters;
}

void SysFreeString(BSTR text) {
  if (text != nullptr) {
    ::operator delete(PrefixOf(text));
  }
}

UINT SysStringLen(BSTR text) { return text == nullptr ? 0 : *PrefixOf(text); }

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    AppendUtf16(out, DecodeUtf8(text, position));
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= kFirstSurrogate && unit < kFirstLowSurrogate && i + 1 < text.size() &&
        text[i + 1] >= kFirstLowSurrogate && text[i + 1] <= kLastSurrogate) {
      unit = kFirstSupplementary + ((unit - kFirstSurrogate) << 10U) +
             (text[i + 1] - kFirstLowSurrogate);
      ++i;
    } else if (IsSurrogate(unit)) {
      unit = kReplacement;
    }
    AppendUtf8(out, unit);
  }
  return out;
}

_bstr_t::_bstr_t(const char* utf8) : _bstr_t(std::string_view(utf8 == nullptr ? "" : utf8)) {}

_bstr_t::_bstr_t(std::string_view utf8) : _bstr_t(std::u16string_view(Utf8ToUtf16(utf8))) {}

_bstr_t::_bstr_t(std::u16string_view text)
    : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

_bstr_t::_bstr_t(const OLECHAR* text) : text_(SysAllocString(text)) {}

_bstr_t::_bstr_t(const _bstr_t& other)
    : text_(other.text_ == nullptr ? nullptr : SysAllocStringLen(other.text_, other.length())) {}

_bstr_t::_bstr_t(_bstr_t&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}

_bstr_t& _bstr_t::operator=(const _bstr_t& other) {
  if (this != &other) {
    *this = _bstr_t(other);
  }
  return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& other) noexcept {
  std::swap(text_, other.text_);
  return *this;
}

_bstr_t::~_bstr_t() { SysFreeString(text_); }

_bstr_t _bstr_t::Attach(BSTR text) {
  _bstr_t owner;
  owner.text_ = text;
  return owner;
}

BSTR _bstr_t::Detach() { return std::exchange(text_, nullptr); }

BSTR* _bstr_t::GetAddress() {
  SysFreeString(std::exchange(text_, nullptr));
  return &text_;
}

}  // namespace platform
