#pragma once

// Writes a sample installation below a folder that stands for drive C: the settings file, the
// firmware images with valid signatures, the radio-module image as Intel HEX, the registry
// value of the install folder, the console-parameter files and the troubleshooting page.
// Tests start from it and change single pieces; the demo runs on it as it is.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace sample_root {

// Section -> key -> value, written in this order.
using SettingsValues = std::map<std::string, std::map<std::string, std::string>>;

// Where the images lie below the program-files folder, as the settings file names them.
inline constexpr char kFirmwareFolder[] = "\\Orvanta\\Halcyra Upgrade\\Firmware";
inline constexpr char kDspImageName[] = "QVX.CON.01.607.bin";
inline constexpr char kBootBlockImageName[] = "QVX.CON.01.607.bootblock.bin";
inline constexpr char kCompositeImageName[] = "QVX.CON.01.607.COMP.bin";
inline constexpr char kCpldImageName[] = "CPLD_C106.xsvf";
inline constexpr char kCvmImageName[] = "CVM_0110.hex";
// The install folder as the registry names it; the parameter files lie in its folder
// "Halcyra Upgrade".
inline constexpr char kInstallDirectory[] = "C:\\Program Files\\Orvanta";

inline constexpr std::size_t kSignatureOffsetPlain = 0;
inline constexpr std::size_t kSignatureOffsetComposite = 0x10004;

struct Options {
  std::string mode = "NORMAL";   // [APP_TYPE] MODE
  std::string composite = "NO";  // [DSP] Composite; decides where the DSP signature goes
  std::string upgrade = "YES";   // [DSP], [CPLD] and [CVM] Upgrade
  std::size_t dsp_image_size = std::size_t{16} * 1024;
  std::size_t cvm_image_size = std::size_t{4} * 1024;
};

// The settings the sample installation ships with. The versions are those the simulated
// console reports once the images are installed.
SettingsValues DefaultSettings(const Options& options);

// Writes everything. Existing files are replaced.
void WriteSampleRoot(const std::filesystem::path& root, const Options& options = {});

// The pieces, for tests that change one of them.
std::filesystem::path SettingsFilePath(const std::filesystem::path& root);
void WriteSettingsFile(const std::filesystem::path& root, const SettingsValues& values);
std::filesystem::path FirmwareFolder(const std::filesystem::path& root);
// Host path of a program path below the root ("C:\..." or "\...").
std::filesystem::path HostPath(const std::filesystem::path& root, const std::string& program_path);
void WriteRegistryInstallDirectory(const std::filesystem::path& root, const std::string& value);
std::filesystem::path RegistryInstallDirectoryPath(const std::filesystem::path& root);

// Image makers, deterministic for the same arguments.
std::vector<std::uint8_t> MakeDspImage(std::size_t size, std::size_t signature_offset);
std::vector<std::uint8_t> MakeFillerImage(std::size_t size, std::uint32_t seed);
// Intel HEX text of `data` placed at `start_address`: an extended linear address record, data
// records of 16 bytes and the end-of-file record.
std::string MakeIntelHex(const std::vector<std::uint8_t>& data, std::uint32_t start_address);
// A console-parameter file: a header line of skip words and `count` values, eight a line.
std::string MakeConsoleParameters(std::size_t count, std::uint8_t first_value);

void WriteFile(const std::filesystem::path& path, const std::string& text);
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace sample_root
