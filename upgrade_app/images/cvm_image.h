#pragma once

// The radio-module image as the console is given it: the Intel HEX file converted to a flat
// image, a 32-byte header that announces it, and the download file of 256-byte blocks.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win_types.h"

class CCorvikUpgradeDlg;

inline constexpr char kCvmConversionFailedText[] =
    "CVM file conversion failed, Aborting the upgrade";
inline constexpr std::size_t kCvmHeaderSize = 32;

// Converts `hex_path`, puts length, start and CRC-32 into the window's image descriptor, and
// removes the files it made. False, after a box owned by the window, when no image could be
// made or a file could not be written or removed; a file it made is then gone again, while a
// file or folder that had one of their names before is left where it is.
bool PrepareCVMImageWithCRC(CCorvikUpgradeDlg* pDlg, const std::string& hex_path);
// Converts `hex_path`, puts length, start and byte sum into the descriptor and leaves the
// download file's path in the window's m_strFilePath. False as above.
bool PrepareCVMImageWithSum(CCorvikUpgradeDlg* pDlg, const std::string& hex_path);
// Fills the 32-byte header from the window's descriptor. Returns true.
bool BuildCVMHeader(const CCorvikUpgradeDlg* pDlg, std::vector<platform::BYTE>& header);
// Writes the download file beside the settings' radio-module path; its path, or empty when a
// file could not be opened. What it wrote before a failure is left to the caller to remove.
std::string WriteCVMFile(CCorvikUpgradeDlg* pDlg, const std::vector<platform::BYTE>& image,
                         int length);
