#pragma once

// Start-up checks of the firmware files that come with the program.

#include <string>

class CCorvikUpgradeApp;

// True only when each of the five names matches an existing file or folder (wildcards match).
bool CheckFirmwareFilesPresent(const std::string& dsp_path, const std::string& cpld_path,
                               const std::string& cvm_path, const std::string& boot_block_path,
                               const std::string& composite_path);

// True when the DSP image carries its signature: at offset 0 for a plain image, at
// kCompositeSignatureOffset when the application's settings call it composite.
bool CheckDSPSignature(const CCorvikUpgradeApp& app, const std::string& dsp_path);

inline constexpr long long kCompositeSignatureOffset = 0x10004;
