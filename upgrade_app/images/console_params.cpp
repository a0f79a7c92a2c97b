#include "upgrade_app/images/console_params.h"

#include <limits>
#include <string>

#include "platform/sys/stdio_file.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/images/hex_text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 3> kSkipWords = {"LSB", "MSB", "Data"};
constexpr std::int32_t kNoValue = 0xFFFF;
constexpr char kParamFolder[] = "\\Halcyra Upgrade\\";

constexpr std::array<const char*, 3> kFileNames = {"ConsoleORVTDefaultsWDCT185.csv",
                                                   "ConsoleORVTDefaultsDECT185.csv",
                                                   "ConsoleORVTDefaultsDECT60.csv"};

}  // namespace

std::int32_t HexFieldValue(std::string_view field) {
  std::size_t next = 0;
  while (next < field.size() && IsBlank(field[next])) ++next;
  bool negative = false;
  if (next < field.size() && (field[next] == '+' || field[next] == '-')) {
    negative = field[next] == '-';
    ++next;
  }
  // "0x" is a prefix only when a digit follows it; else the 0 is the number.
  if (next + 2 < field.size() && field[next] == '0' &&
      (field[next + 1] == 'x' || field[next + 1] == 'X') &&
      HexDigitValue(field[next + 2]) != kNotHexDigit) {
    next += 2;
  }
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; next < field.size() && HexDigitValue(field[next]) != kNotHexDigit; ++next) {
    magnitude = std::min(magnitude * 16 + HexDigitValue(field[next]), kLimit + 1);
  }
  if (negative) return static_cast<std::int32_t>(-std::min(magnitude, kLimit));
  return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

void ConsoleParamReader::TakeLine(std::string_view line) {
  if (first_line_ && line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  first_line_ = false;
  if (line.ends_with('\r')) line.remove_suffix(1);
  while (!line.empty()) {
    const std::size_t comma = line.find(',');
    TakeField(line.substr(0, comma));
    line.remove_prefix(comma == std::string_view::npos ? line.size() : comma + 1);
  }
}

void ConsoleParamReader::TakeField(std::string_view field) {
  if (field.empty() || Full()) return;
  for (const std::string_view word : kSkipWords) {
    if (field == word) return;
  }
  const std::int32_t value = HexFieldValue(field);
  if (value == kNoValue) return;
  block_[count_++] = static_cast<platform::BYTE>(value & 0xFF);
}

ConsoleParamBlock ParseConsoleParams(std::string_view text) {
  ConsoleParamReader reader;
  while (!text.empty() && !reader.Full()) {
    const std::size_t end = text.find('\n');
    reader.TakeLine(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return reader.Block();
}

const char* ConsoleParamFileName(int country_code) {
  if (country_code < 0 || static_cast<std::size_t>(country_code) >= kFileNames.size()) {
    return nullptr;
  }
  return kFileNames[static_cast<std::size_t>(country_code)];
}

bool ReadConsoleParams(std::vector<platform::BYTE>& block, CCorvikUpgradeDlg* pDlg) {
  const char* const file_name = ConsoleParamFileName(pDlg->m_nCountryCode);
  if (file_name == nullptr) return false;
  platform::CStdioFile file;
  if (!file.Open(pDlg->m_pApp->m_strInstallDirectory + kParamFolder + file_name,
                 platform::CFile::modeRead | platform::CFile::shareDenyWrite |
                     platform::CFile::typeText)) {
    return false;
  }
  ConsoleParamReader reader;
  std::string line;
  while (!reader.Full() && file.ReadString(line) != platform::FALSE) reader.TakeLine(line);
  file.Close();
  block.assign(reader.Block().begin(), reader.Block().end());
  return true;
}
