#pragma once

// The console's radio parameters: the 96-byte block gathered from the comma-separated
// parameter file that the console's country code chooses.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

class CCorvikUpgradeDlg;

inline constexpr std::size_t kConsoleParamBlockSize = 96;
using ConsoleParamBlock = std::array<platform::BYTE, kConsoleParamBlockSize>;

// Gathers the values of the file's lines, in order, into a block that starts as all 0xFF.
// Fields are split at commas (empty fields do not count); "LSB", "MSB" and "Data" are skipped,
// every other field is a hexadecimal number whose low byte is stored, except 0xFFFF, which
// stands for no value. Values after the 96th are ignored.
class ConsoleParamReader {
 public:
  // One line without its line feed; a carriage return at its end is ignored, and so is a UTF-8
  // byte-order mark at the start of the first line.
  void TakeLine(std::string_view line);
  bool Full() const { return count_ == block_.size(); }
  const ConsoleParamBlock& Block() const { return block_; }

 private:
  void TakeField(std::string_view field);

  ConsoleParamBlock block_ = MakeEmptyBlock();
  std::size_t count_ = 0;
  bool first_line_ = true;

  static constexpr ConsoleParamBlock MakeEmptyBlock() {
    ConsoleParamBlock block{};
    block.fill(0xFF);
    return block;
  }
};

// The block of a whole parameter text; lines end with LF or CRLF.
ConsoleParamBlock ParseConsoleParams(std::string_view text);

// A field read as the C library's strtol reads it with base 16 (leading blanks, a sign, an
// optional 0x, up to the first other character; no digits gives 0), saturated to 32 bits the
// way a 32-bit long saturates.
std::int32_t HexFieldValue(std::string_view field);

// The parameter file of a country code (0, 1, 2); null for any other code.
const char* ConsoleParamFileName(int country_code);

// Reads the parameter file of the window's country code from the install directory's folder
// "Halcyra Upgrade" into `block` (96 bytes). False, `block` untouched, when the code has no
// file or the file cannot be opened.
bool ReadConsoleParams(std::vector<platform::BYTE>& block, CCorvikUpgradeDlg* pDlg);
