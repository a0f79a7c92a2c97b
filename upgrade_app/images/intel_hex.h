#pragma once

// The Intel HEX reader of the radio-module image. One pass reads the records of a HEX file
// and, depending on the size it is given, only measures the image (size 0), or writes the
// image into a buffer or into a binary file; the converter runs the three passes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

// Results of IntelHexPass.
inline constexpr int kHexOk = 0;
inline constexpr int kHexBinaryNotCreated = 1;
inline constexpr int kHexFileNotOpened = 2;
inline constexpr int kHexBadChecksum = 3;
inline constexpr int kHexReachesImageEnd = 4;
inline constexpr int kHexStartLinearAddress = 5;
inline constexpr int kHexUnknownRecordType = 6;
inline constexpr int kHexNoColon = 7;
inline constexpr int kHexBinaryNotReopened = 8;
inline constexpr int kHexBeginsPastImage = 9;
// Records the reader refuses rather than misread.
inline constexpr int kHexTokenTooLong = 10;
inline constexpr int kHexRecordTruncated = 11;  // shorter than its byte count says
inline constexpr int kHexNotHexDigit = 12;
inline constexpr int kHexShortAddressRecord = 13;  // type 02 or 04 with fewer than 2 bytes
inline constexpr int kHexAddressPast32Bits = 14;
// Only a sizing pass finds these.
inline constexpr int kHexImageTooLarge = 15;
inline constexpr int kHexNoDataRecord = 16;

// Results of ConvertHexToBin.
inline constexpr int kConvertOk = 0;
inline constexpr int kConvertNoMemory = 3;
inline constexpr int kConvertBufferPassFailed = 5;
inline constexpr int kConvertSizingPassFailed = 6;
inline constexpr int kConvertBinaryIsHexFile = 7;

// The longest token a record may be: the reader's buffer is one character longer.
inline constexpr std::size_t kMaxHexTokenLength = 1023;
inline constexpr std::uint64_t kMaxHexImageSize = std::uint64_t{16} * 1024 * 1024;
// The fill bytes behind the image in the buffer and the binary file.
inline constexpr std::uint32_t kHexImageTail = 3;

// The value of `count` characters of `text` from `position`, read as hexadecimal digits, most
// significant first, modulo 2^32. Characters outside `text` or other than hex digits raise
// CInvalidArgException.
std::uint32_t ParseHexDigits(std::string_view text, std::size_t position, int count);

// One pass over the HEX file. Size 0: sizing, `lowest` and `highest` (one past the last byte)
// are the image's absolute bounds. Size above 0: the image from `origin` is written into
// `buffer`, or into the file `bin_path` when `buffer` is null, first filled with 0xFF; `sum`
// is the sum of its `size` bytes. Returns one of the kHex codes.
int IntelHexPass(const std::string& bin_path, std::uint64_t& lowest, const std::string& hex_path,
                 platform::BYTE* buffer, std::uint32_t size, std::uint32_t origin,
                 std::uint64_t& highest, std::uint32_t& sum);

// Converts the HEX file: the image (length + 3 bytes, unused addresses 0xFF), its length, its
// lowest address and the sum of all length + 3 bytes; the binary file (the HEX path with "bin"
// for its last three characters) is written on the way. On failure `buffer` is empty and
// `length` 0. Returns one of the kConvert codes.
int ConvertHexToBin(const std::string& hex_path, std::vector<platform::BYTE>& buffer,
                    std::uint32_t& length, std::uint32_t& start, std::uint32_t& sum);

// The record scan of a pass over HEX text in memory. With `size` above 0, `write` receives the
// data of each record at its offset from `origin`. Codes as IntelHexPass (never 1, 2 or 8).
using HexDataWriter =
    std::function<void(std::uint32_t offset, std::span<const platform::BYTE> data)>;
int ScanIntelHex(std::string_view text, std::uint32_t size, std::uint32_t origin,
                 const HexDataWriter& write, std::uint64_t& lowest, std::uint64_t& highest);
