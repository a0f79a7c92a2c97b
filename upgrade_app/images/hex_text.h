#pragma once

// The characters that the radio-module files are read by: hexadecimal digits and the blanks
// between fields and records.

inline constexpr int kNotHexDigit = -1;

// The value of a hexadecimal digit of either case; kNotHexDigit for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return kNotHexDigit;
}

// The blanks of the C library's isspace.
constexpr bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
