#include "upgrade_app/images/cvm_image.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/exceptions.h"
#include "platform/sys/file.h"
#include "platform/sys/file_system.h"
#include "platform/sys/path_mapping.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/images/crc32.h"
#include "upgrade_app/images/image_paths.h"
#include "upgrade_app/images/intel_hex.h"
#include "upgrade_app/resources/string_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

using platform::BYTE;
using platform::CFile;

constexpr std::size_t kCvmBlockSize = 256;
constexpr BYTE kFill = 0xFF;
constexpr char kTempFileName[] = "testCVM.bin";

struct ConvertedImage {
  std::vector<BYTE> buffer;
  std::uint32_t length = 0;
  std::uint32_t start = 0;
  std::uint32_t sum = 0;
};

// The files a preparation writes beside the temporary one.
struct ByProducts {
  std::string binary;
  std::string download;
};

// The files of a preparation that were missing when it began: they are removed again unless
// the preparation gets through. A name that was taken already is someone else's and is left
// as it is.
class MadeFiles {
 public:
  explicit MadeFiles(std::initializer_list<std::string_view> paths) {
    for (const std::string_view path : paths) {
      if (IsMissing(path)) missing_.emplace_back(path);
    }
  }
  MadeFiles(const MadeFiles&) = delete;
  MadeFiles& operator=(const MadeFiles&) = delete;
  // Quietly: a file it never got to make is simply missing, and here is nobody to tell.
  ~MadeFiles() {
    for (const std::string& path : missing_) platform::DeleteFileA(path.c_str());
  }

  void Keep() { missing_.clear(); }

 private:
  static bool IsMissing(std::string_view path) {
    std::error_code error;
    return std::filesystem::symlink_status(platform::MapPath(path), error).type() ==
           std::filesystem::file_type::not_found;
  }

  std::vector<std::string> missing_;
};

void ShowError(const CCorvikUpgradeDlg* pDlg, std::string_view text) {
  pDlg->MessageBox(text, FindResourceString(IDS_MESSAGE_CAPTION),
                   platform::MB_OK | platform::MB_ICONERROR);
}

// The files a preparation writes must never be one of the user's HEX files.
bool WritesOverHexFile(const CCorvikUpgradeDlg* pDlg, const std::string& hex_path,
                       const ByProducts& names) {
  for (const std::string& hex : {hex_path, pDlg->m_pApp->m_strCVMFilePath}) {
    for (const std::string& written : {names.binary, names.download, std::string(kTempFileName)}) {
      if (SameFile(written, hex)) return true;
    }
  }
  return false;
}

// The names of what a preparation of `hex_path` writes; nothing when a path is too short to
// name them or one of them would be a HEX file.
std::optional<ByProducts> ByProductNames(const CCorvikUpgradeDlg* pDlg,
                                         const std::string& hex_path) {
  const std::string& settings_path = pDlg->m_pApp->m_strCVMFilePath;
  if (hex_path.size() < kReplacedLength || settings_path.size() < kReplacedLength) {
    return std::nullopt;
  }
  ByProducts names{ReplaceLastThree(hex_path, "bin"), ReplaceLastThree(settings_path, "cvm")};
  if (WritesOverHexFile(pDlg, hex_path, names)) return std::nullopt;
  return names;
}

std::optional<ConvertedImage> Convert(const std::string& hex_path) {
  ConvertedImage image;
  if (ConvertHexToBin(hex_path, image.buffer, image.length, image.start, image.sum) != kConvertOk) {
    return std::nullopt;
  }
  return image;
}

void StoreDescriptor(CCorvikUpgradeDlg* pDlg, const ConvertedImage& image, std::uint32_t checksum) {
  pDlg->m_nCVMImageLength = static_cast<int>(image.length);
  pDlg->m_nCVMImageStart = static_cast<int>(image.start);
  pDlg->m_nCVMImageChecksum = checksum;
}

// The image rounded up to whole blocks, padded with 0xFF.
void WriteBlocks(CFile& file, const std::vector<BYTE>& image, std::size_t length) {
  std::array<BYTE, kCvmBlockSize> block{};
  for (std::size_t offset = 0; offset < length; offset += kCvmBlockSize) {
    block.fill(kFill);
    const std::size_t count = std::min(kCvmBlockSize, length - offset);
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), count, block.begin());
    file.Write(block.data(), static_cast<platform::UINT>(block.size()));
  }
}

// Copies the temporary file into the download file with one more block of 0xFF behind it.
void CopyWithTrailingBlock(CFile& temporary, CFile& download) {
  const auto size = static_cast<std::size_t>(temporary.GetLength());
  std::vector<BYTE> copy(size == 0 ? 0 : size + kCvmBlockSize, kFill);
  temporary.Read(copy.data(), static_cast<platform::UINT>(size));
  download.Write(copy.data(), static_cast<platform::UINT>(copy.size()));
}

// What the two preparers do differently: the checksum they describe the image with, and what
// becomes of the written files when all went well.
struct PreparerKind {
  std::uint32_t (*checksum)(const ConvertedImage& image);
  std::function<void(const ByProducts& written)> finish;
};

// What went wrong, in the words of the box; nothing when the preparation got through.
std::optional<std::string> TryToPrepare(CCorvikUpgradeDlg* pDlg, const std::string& hex_path,
                                        const PreparerKind& kind) {
  const std::optional<ByProducts> names = ByProductNames(pDlg, hex_path);
  if (!names) return kCvmConversionFailedText;
  MadeFiles made({names->binary, names->download, kTempFileName});
  try {
    const std::optional<ConvertedImage> image = Convert(hex_path);
    if (!image) return kCvmConversionFailedText;
    StoreDescriptor(pDlg, *image, kind.checksum(*image));
    std::string download_path = WriteCVMFile(pDlg, image->buffer, static_cast<int>(image->length));
    if (download_path.empty()) return kCvmConversionFailedText;
    kind.finish({names->binary, std::move(download_path)});
  } catch (const platform::CFileException& error) {
    return error.what();
  }
  made.Keep();
  return std::nullopt;
}

bool Prepare(CCorvikUpgradeDlg* pDlg, const std::string& hex_path, const PreparerKind& kind) {
  const std::optional<std::string> failure = TryToPrepare(pDlg, hex_path, kind);
  if (failure) ShowError(pDlg, *failure);
  return !failure;
}

}  // namespace

bool PrepareCVMImageWithCRC(CCorvikUpgradeDlg* pDlg, const std::string& hex_path) {
  const auto crc = [](const ConvertedImage& image) {
    // An odd length takes in the first fill byte behind the image.
    return Crc32(image.buffer.data(), image.length + (image.length & 1U));
  };
  const auto remove_both = [](const ByProducts& written) {
    CFile::Remove(written.binary);
    CFile::Remove(written.download);
  };
  return Prepare(pDlg, hex_path, {crc, remove_both});
}

bool PrepareCVMImageWithSum(CCorvikUpgradeDlg* pDlg, const std::string& hex_path) {
  const auto sum = [](const ConvertedImage& image) { return image.sum; };
  const auto send_download = [pDlg](const ByProducts& written) {
    pDlg->m_strFilePath = written.download;
  };
  return Prepare(pDlg, hex_path, {sum, send_download});
}

bool BuildCVMHeader(const CCorvikUpgradeDlg* pDlg, std::vector<BYTE>& header) {
  header.assign(kCvmHeaderSize, kFill);
  const std::array<std::uint32_t, 3> fields = {static_cast<std::uint32_t>(pDlg->m_nCVMImageLength),
                                               static_cast<std::uint32_t>(pDlg->m_nCVMImageStart),
                                               pDlg->m_nCVMImageChecksum};
  auto out = header.begin();
  for (const std::uint32_t field : fields) {
    for (unsigned shift = 0; shift < 32; shift += 8) *out++ = static_cast<BYTE>(field >> shift);
  }
  return true;
}

std::string WriteCVMFile(CCorvikUpgradeDlg* pDlg, const std::vector<BYTE>& image, int length) {
  if (length < 0 || static_cast<std::size_t>(length) > image.size()) {
    throw platform::CInvalidArgException();
  }
  std::string download_path = ReplaceLastThree(pDlg->m_pApp->m_strCVMFilePath, "cvm");
  CFile temporary;
  if (!temporary.Open(kTempFileName, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
    return {};
  }
  WriteBlocks(temporary, image, static_cast<std::size_t>(length));
  temporary.Close();
  CFile download;
  if (!download.Open(download_path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary) ||
      !temporary.Open(kTempFileName, CFile::modeRead | CFile::typeBinary)) {
    download.Abort();
    return {};
  }
  CopyWithTrailingBlock(temporary, download);
  temporary.Close();
  CFile::Remove(kTempFileName);
  download.Close();
  pDlg->m_nCVMImageLength = length;
  return download_path;
}
