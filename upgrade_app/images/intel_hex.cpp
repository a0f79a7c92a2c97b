#include "upgrade_app/images/intel_hex.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <numeric>
#include <optional>

#include "platform/exceptions.h"
#include "platform/sys/file.h"
#include "upgrade_app/images/hex_text.h"
#include "upgrade_app/images/image_paths.h"

namespace {

using platform::BYTE;
using platform::CFile;

// Record layout, in characters of the token.
constexpr std::size_t kCountPosition = 1;
constexpr std::size_t kOffsetPosition = 3;
constexpr std::size_t kTypePosition = 7;
constexpr std::size_t kDataPosition = 9;
constexpr int kByteDigits = 2;
constexpr int kWordDigits = 4;
// ":", count, offset, type and checksum.
constexpr std::size_t kShortestRecord = 11;
// Bytes ahead of the data in the decoded pairs: count, offset (2) and type.
constexpr std::size_t kDataPair = 4;

constexpr std::uint32_t kTypeData = 0x00;
constexpr std::uint32_t kTypeEndOfFile = 0x01;
constexpr std::uint32_t kTypeSegmentAddress = 0x02;
constexpr std::uint32_t kTypeStartSegment = 0x03;
constexpr std::uint32_t kTypeLinearAddress = 0x04;
constexpr std::uint32_t kTypeStartLinear = 0x05;
constexpr std::uint32_t kAddressRecordBytes = 2;
constexpr unsigned kSegmentShift = 4;
constexpr unsigned kLinearShift = 16;

constexpr std::uint64_t kNoLowest = 0xFFFFFFFFU;
constexpr std::uint64_t kLastAddress = 0xFFFFFFFFU;
constexpr BYTE kFill = 0xFF;
constexpr std::size_t kChunkSize = std::size_t{64} * 1024;

// Hands out the blank-separated tokens of a text that arrives in chunks.
class TokenReader {
 public:
  using Source = std::function<std::size_t(char* buffer, std::size_t count)>;
  enum class Result { kToken, kEnd, kTooLong };

  explicit TokenReader(Source source) : source_(std::move(source)) {}

  Result Next(std::string_view& token) {
    int c = Take();
    while (c != kEnd && IsBlank(c)) c = Take();
    if (c == kEnd) return Result::kEnd;
    std::size_t length = 0;
    for (; c != kEnd && !IsBlank(c); c = Take()) {
      if (length == kMaxHexTokenLength) return Result::kTooLong;
      token_[length++] = static_cast<char>(c);
    }
    token = std::string_view(token_.data(), length);
    return Result::kToken;
  }

 private:
  static constexpr int kEnd = -1;

  int Take() {
    if (next_ == filled_) {
      filled_ = source_(chunk_.data(), chunk_.size());
      next_ = 0;
      if (filled_ == 0) return kEnd;
    }
    return static_cast<unsigned char>(chunk_[next_++]);
  }

  Source source_;
  std::vector<char> chunk_ = std::vector<char>(kChunkSize);
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  std::array<char, kMaxHexTokenLength> token_{};
};

// What a pass has learnt so far.
struct PassState {
  std::uint64_t lowest = kNoLowest;
  std::uint64_t highest = 0;
  std::uint64_t base = 0;
  bool data_seen = false;
  bool ended = false;
};

struct PassTarget {
  std::uint32_t size;
  std::uint32_t origin;
  const HexDataWriter& write;
};

// The bytes of the character pairs after the colon; a last unpaired character must be a digit
// too but gives no byte.
std::optional<std::size_t> DecodePairs(std::string_view token,
                                       std::array<BYTE, kMaxHexTokenLength / 2>& pairs) {
  std::size_t count = 0;
  std::size_t position = 1;
  for (; position + 1 < token.size(); position += 2) {
    const int high = HexDigitValue(token[position]);
    const int low = HexDigitValue(token[position + 1]);
    if (high == kNotHexDigit || low == kNotHexDigit) return std::nullopt;
    pairs[count++] = static_cast<BYTE>(high * 16 + low);
  }
  if (position < token.size() && HexDigitValue(token[position]) == kNotHexDigit)
    return std::nullopt;
  return count;
}

int TakeData(const PassTarget& target, PassState& state, std::uint64_t absolute,
             std::span<const BYTE> data) {
  if (data.empty()) return kHexOk;
  if (absolute + data.size() - 1 > kLastAddress) return kHexAddressPast32Bits;
  if (absolute < target.origin) return kHexBeginsPastImage;
  const std::uint64_t relative = absolute - target.origin;
  if (target.size > 0 && relative > target.size) return kHexBeginsPastImage;
  state.highest = std::max(state.highest, relative + data.size() - 1);
  state.lowest = std::min(state.lowest, absolute);
  state.data_seen = true;
  if (target.size > 0) {
    if (state.highest >= target.size) return kHexReachesImageEnd;
    target.write(static_cast<std::uint32_t>(relative), data);
  }
  return kHexOk;
}

int TakeRecord(std::string_view token, const PassTarget& target, PassState& state) {
  if (token.front() != ':') return kHexNoColon;
  std::array<BYTE, kMaxHexTokenLength / 2> pairs{};
  const std::optional<std::size_t> pair_count = DecodePairs(token, pairs);
  if (!pair_count) return kHexNotHexDigit;
  const BYTE checksum = std::accumulate(pairs.begin(), pairs.begin() + *pair_count, BYTE{0},
                                        [](BYTE sum, BYTE byte) { return BYTE(sum + byte); });
  if (checksum != 0) return kHexBadChecksum;
  if (token.size() < kShortestRecord) return kHexRecordTruncated;
  const std::uint32_t count = ParseHexDigits(token, kCountPosition, kByteDigits);
  if (token.size() < kShortestRecord + 2 * std::size_t{count}) return kHexRecordTruncated;
  const std::uint32_t offset = ParseHexDigits(token, kOffsetPosition, kWordDigits);
  const std::uint32_t type = ParseHexDigits(token, kTypePosition, kByteDigits);
  switch (type) {
    case kTypeData:
      return TakeData(target, state, state.base + offset,
                      std::span<const BYTE>(pairs.data() + kDataPair, count));
    case kTypeEndOfFile:
      state.ended = true;
      return kHexOk;
    case kTypeSegmentAddress:
    case kTypeLinearAddress: {
      if (count < kAddressRecordBytes) return kHexShortAddressRecord;
      state.base = std::uint64_t{ParseHexDigits(token, kDataPosition, kWordDigits)}
                   << (type == kTypeLinearAddress ? kLinearShift : kSegmentShift);
      return kHexOk;
    }
    case kTypeStartSegment:
      return kHexOk;
    case kTypeStartLinear:
      return kHexStartLinearAddress;
    default:
      return kHexUnknownRecordType;
  }
}

// Reads records until the end record or the end of the text; the first failing record ends
// the scan.
int Scan(TokenReader& reader, const PassTarget& target, std::uint64_t& lowest,
         std::uint64_t& highest) {
  PassState state;
  std::string_view token;
  while (!state.ended) {
    const TokenReader::Result result = reader.Next(token);
    if (result == TokenReader::Result::kEnd) break;
    if (result == TokenReader::Result::kTooLong) return kHexTokenTooLong;
    if (const int code = TakeRecord(token, target, state); code != kHexOk) return code;
  }
  lowest = state.lowest;
  highest = state.highest;
  if (target.size > 0) return kHexOk;
  if (!state.data_seen) return kHexNoDataRecord;
  ++highest;
  if (highest - lowest > kMaxHexImageSize) return kHexImageTooLarge;
  return kHexOk;
}

std::uint32_t SumOf(const BYTE* bytes, std::size_t count) {
  return std::accumulate(bytes, bytes + count, std::uint32_t{0});
}

// Writes records into the binary file, joining records that follow each other into one write.
class BinaryFileWriter {
 public:
  explicit BinaryFileWriter(CFile& file) : file_(file) {}
  BinaryFileWriter(const BinaryFileWriter&) = delete;
  BinaryFileWriter& operator=(const BinaryFileWriter&) = delete;

  void Write(std::uint32_t offset, std::span<const BYTE> data) {
    if (offset != run_start_ + run_.size() || run_.size() + data.size() > kChunkSize) Flush();
    if (run_.empty()) run_start_ = offset;
    run_.insert(run_.end(), data.begin(), data.end());
  }

  void Flush() {
    if (run_.empty()) return;
    file_.Seek(static_cast<platform::LONGLONG>(run_start_), CFile::begin);
    file_.Write(run_.data(), static_cast<platform::UINT>(run_.size()));
    run_.clear();
  }

 private:
  CFile& file_;
  std::uint64_t run_start_ = 0;
  std::vector<BYTE> run_;
};

void WriteFill(CFile& file, std::uint32_t size) {
  const std::vector<BYTE> fill(std::min<std::size_t>(size, kChunkSize), kFill);
  for (std::uint32_t done = 0; done < size;) {
    const auto count = static_cast<platform::UINT>(std::min<std::size_t>(size - done, fill.size()));
    file.Write(fill.data(), count);
    done += count;
  }
}

std::optional<std::uint32_t> SumOfFile(const std::string& path, std::uint32_t size) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
    return std::nullopt;
  }
  std::vector<BYTE> chunk(kChunkSize);
  std::uint32_t sum = 0;
  for (std::uint32_t done = 0; done < size;) {
    const auto wanted = static_cast<platform::UINT>(std::min<std::size_t>(size - done, kChunkSize));
    const platform::UINT read = file.Read(chunk.data(), wanted);
    if (read == 0) break;
    sum += SumOf(chunk.data(), read);
    done += read;
  }
  return sum;
}

int ScanFile(const std::string& hex_path, const PassTarget& target, std::uint64_t& lowest,
             std::uint64_t& highest) {
  // Read in binary: a text file's CR LF would only become LF, and both are blanks between
  // records, so the tokens are the same and the bulk read is much faster.
  CFile hex;
  if (!hex.Open(hex_path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
    return kHexFileNotOpened;
  }
  TokenReader reader([&hex](char* chunk, std::size_t count) {
    return std::size_t{hex.Read(chunk, static_cast<platform::UINT>(count))};
  });
  return Scan(reader, target, lowest, highest);
}

struct ImageBounds {
  std::uint32_t size;
  std::uint32_t origin;
};

// The pass into the binary file. A write error on it counts as a file that could not be made.
int FilePass(const std::string& bin_path, const std::string& hex_path, ImageBounds bounds,
             std::uint64_t& lowest, std::uint64_t& highest, std::uint32_t& sum) {
  CFile binary;
  if (!binary.Open(bin_path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
    return kHexBinaryNotCreated;
  }
  int code = kHexOk;
  try {
    WriteFill(binary, bounds.size);
    BinaryFileWriter writer(binary);
    const HexDataWriter write = [&writer](std::uint32_t offset, std::span<const BYTE> data) {
      writer.Write(offset, data);
    };
    code = ScanFile(hex_path, {bounds.size, bounds.origin, write}, lowest, highest);
    // What the records before a failing one wrote stays in the file, as it would unbuffered.
    writer.Flush();
    binary.Close();
  } catch (const platform::CFileException& error) {
    if (error.m_strFileName != bin_path) throw;
    return kHexBinaryNotCreated;
  }
  if (code != kHexOk) return code;
  const std::optional<std::uint32_t> file_sum = SumOfFile(bin_path, bounds.size);
  if (!file_sum) return kHexBinaryNotReopened;
  sum = *file_sum;
  return kHexOk;
}

}  // namespace

std::uint32_t ParseHexDigits(std::string_view text, std::size_t position, int count) {
  if (count < 0 || position > text.size() || text.size() - position < std::size_t(count)) {
    throw platform::CInvalidArgException();
  }
  std::uint32_t value = 0;
  for (const char c : text.substr(position, std::size_t(count))) {
    const int digit = HexDigitValue(c);
    if (digit == kNotHexDigit) throw platform::CInvalidArgException();
    value = value * 16U + static_cast<std::uint32_t>(digit);
  }
  return value;
}

int ScanIntelHex(std::string_view text, std::uint32_t size, std::uint32_t origin,
                 const HexDataWriter& write, std::uint64_t& lowest, std::uint64_t& highest) {
  TokenReader reader([&text](char* buffer, std::size_t count) {
    const std::size_t taken = std::min(count, text.size());
    std::memcpy(buffer, text.data(), taken);
    text.remove_prefix(taken);
    return taken;
  });
  return Scan(reader, {size, origin, write}, lowest, highest);
}

int IntelHexPass(const std::string& bin_path, std::uint64_t& lowest, const std::string& hex_path,
                 BYTE* buffer, std::uint32_t size, std::uint32_t origin, std::uint64_t& highest,
                 std::uint32_t& sum) {
  if (size > 0 && buffer == nullptr) {
    return FilePass(bin_path, hex_path, {size, origin}, lowest, highest, sum);
  }
  if (size > 0) std::fill_n(buffer, size, kFill);
  const HexDataWriter write = [buffer](std::uint32_t offset, std::span<const BYTE> data) {
    std::copy(data.begin(), data.end(), buffer + offset);
  };
  const int code = ScanFile(hex_path, {size, origin, write}, lowest, highest);
  if (code != kHexOk) return code;
  sum = SumOf(buffer, size);
  return kHexOk;
}

int ConvertHexToBin(const std::string& hex_path, std::vector<BYTE>& buffer, std::uint32_t& length,
                    std::uint32_t& start, std::uint32_t& sum) {
  buffer.clear();
  length = 0;
  std::uint64_t lowest = 0;
  std::uint64_t highest = 0;
  std::uint32_t ignored_sum = 0;
  if (IntelHexPass({}, lowest, hex_path, nullptr, 0, 0, highest, ignored_sum) != kHexOk) {
    return kConvertSizingPassFailed;
  }
  // The sizing pass bounds the image to 16 MiB below 2^32.
  const auto image_start = static_cast<std::uint32_t>(lowest);
  const auto image_length = static_cast<std::uint32_t>(highest - lowest);
  const std::uint32_t size = image_length + kHexImageTail;
  std::vector<BYTE> image;
  try {
    image.resize(size);
  } catch (const std::bad_alloc&) {
    return kConvertNoMemory;
  }
  const std::string bin_path = ReplaceLastThree(hex_path, "bin");
  if (SameFile(bin_path, hex_path)) return kConvertBinaryIsHexFile;
  std::uint32_t file_sum = 0;
  // The binary file is a by-product: its pass may fail without stopping the conversion.
  IntelHexPass(bin_path, lowest, hex_path, nullptr, size, image_start, highest, file_sum);
  std::uint32_t image_sum = 0;
  if (IntelHexPass({}, lowest, hex_path, image.data(), size, image_start, highest, image_sum) !=
      kHexOk) {
    return kConvertBufferPassFailed;
  }
  buffer = std::move(image);
  length = image_length;
  start = image_start;
  sum = image_sum;
  return kConvertOk;
}
