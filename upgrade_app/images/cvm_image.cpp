#include "upgrade_app/images/cvm_image.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/exceptions.h"
#include "platform/sys/file.h"
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
  std::string bin_path;
};

void ShowError(const CCorvikUpgradeDlg* pDlg, std::string_view text) {
  pDlg->MessageBox(text, FindResourceString(IDS_MESSAGE_CAPTION),
                   platform::MB_OK | platform::MB_ICONERROR);
}

// The files a preparation writes must never be one of the user's HEX files.
bool WritesOverHexFile(const CCorvikUpgradeDlg* pDlg, const std::string& hex_path,
                       const std::string& bin_path, const std::string& download_path) {
  for (const std::string& hex : {hex_path, pDlg->m_pApp->m_strCVMFilePath}) {
    for (const std::string& written : {bin_path, download_path, std::string(kTempFileName)}) {
      if (SameFile(written, hex)) return true;
    }
  }
  return false;
}

// The image of `hex_path`, or nothing when it cannot be made or would overwrite a HEX file.
std::optional<ConvertedImage> Convert(const CCorvikUpgradeDlg* pDlg, const std::string& hex_path) {
  const std::string& settings_path = pDlg->m_pApp->m_strCVMFilePath;
  if (hex_path.size() < kReplacedLength || settings_path.size() < kReplacedLength) {
    return std::nullopt;
  }
  ConvertedImage image;
  image.bin_path = ReplaceLastThree(hex_path, "bin");
  if (WritesOverHexFile(pDlg, hex_path, image.bin_path, ReplaceLastThree(settings_path, "cvm"))) {
    return std::nullopt;
  }
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

// Removes the temporary file of a write that did not get through; it is only ever ours.
void DropTemporaryFile() {
  try {
    CFile::Remove(kTempFileName);
  } catch (const platform::CFileException&) {
    // Nothing more to tidy: the write has failed already.
  }
}

}  // namespace

bool PrepareCVMImageWithCRC(CCorvikUpgradeDlg* pDlg, const std::string& hex_path) {
  const std::optional<ConvertedImage> image = Convert(pDlg, hex_path);
  if (!image) {
    ShowError(pDlg, kCvmConversionFailedText);
    return false;
  }
  // An odd length takes in the first fill byte behind the image.
  const std::size_t covered = image->length + (image->length & 1U);
  StoreDescriptor(pDlg, *image, Crc32(image->buffer.data(), covered));
  try {
    const std::string download_path =
        WriteCVMFile(pDlg, image->buffer, static_cast<int>(image->length));
    if (download_path.empty()) {
      ShowError(pDlg, kCvmConversionFailedText);
      return false;
    }
    CFile::Remove(image->bin_path);
    CFile::Remove(download_path);
  } catch (const platform::CFileException& error) {
    ShowError(pDlg, error.what());
    return false;
  }
  return true;
}

bool PrepareCVMImageWithSum(CCorvikUpgradeDlg* pDlg, const std::string& hex_path) {
  const std::optional<ConvertedImage> image = Convert(pDlg, hex_path);
  if (!image) {
    ShowError(pDlg, kCvmConversionFailedText);
    return false;
  }
  StoreDescriptor(pDlg, *image, image->sum);
  try {
    std::string download_path = WriteCVMFile(pDlg, image->buffer, static_cast<int>(image->length));
    if (download_path.empty()) {
      ShowError(pDlg, kCvmConversionFailedText);
      return false;
    }
    pDlg->m_strFilePath = std::move(download_path);
  } catch (const platform::CFileException& error) {
    ShowError(pDlg, error.what());
    return false;
  }
  return true;
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
    DropTemporaryFile();
    return {};
  }
  CopyWithTrailingBlock(temporary, download);
  temporary.Close();
  CFile::Remove(kTempFileName);
  download.Close();
  pDlg->m_nCVMImageLength = length;
  return download_path;
}
