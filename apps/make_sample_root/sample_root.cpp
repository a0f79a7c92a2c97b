#include "apps/make_sample_root/sample_root.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sample_root {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::uint8_t, 4> kDspSignature = {0xCE, 0xFA, 0xDE, 0xFA};
constexpr std::size_t kBootBlockSize = std::size_t{8} * 1024;
constexpr std::size_t kCompositeTail = std::size_t{16} * 1024;
constexpr std::size_t kCpldImageSize = std::size_t{6} * 1024;
constexpr std::uint32_t kCvmStartAddress = 0x00010000;
constexpr std::size_t kHexRecordLength = 16;
constexpr std::size_t kConsoleParameterCount = 94;
constexpr std::size_t kParametersPerLine = 8;

struct ParameterFile {
  const char* name;
  std::uint8_t first_value;
};
constexpr std::array<ParameterFile, 3> kParameterFiles = {{
    {"ConsoleORVTDefaultsWDCT185.csv", 0x10},
    {"ConsoleORVTDefaultsDECT185.csv", 0x20},
    {"ConsoleORVTDefaultsDECT60.csv", 0x30},
}};

constexpr char kTroublePage[] =
    "<html><head><title>Halcyra upgrade troubleshooting</title></head><body>\n"
    "<h1>Halcyra upgrade troubleshooting</h1>\n"
    "<p>Check that the console is powered and that the USB cable is plugged in at both ends, "
    "then start the upgrade again.</p>\n"
    "</body></html>\n";

std::string Hex2(unsigned value) {
  std::array<char, 3> text{};
  std::snprintf(text.data(), text.size(), "%02X", value & 0xFFU);
  return text.data();
}

// One Intel HEX record with its checksum.
std::string HexRecord(std::uint16_t address, std::uint8_t type,
                      const std::vector<std::uint8_t>& data) {
  unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8U) + (address & 0xFFU) + type;
  std::string record = ":" + Hex2(static_cast<unsigned>(data.size())) + Hex2(address >> 8U) +
                       Hex2(address & 0xFFU) + Hex2(type);
  for (const std::uint8_t byte : data) {
    record += Hex2(byte);
    sum += byte;
  }
  return record + Hex2((0x100U - (sum & 0xFFU)) & 0xFFU) + "\r\n";
}

void PlaceSignature(std::vector<std::uint8_t>& image, std::size_t offset) {
  std::copy(kDspSignature.begin(), kDspSignature.end(),
            image.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::string ProgramFilesPath(const std::string& below) { return "C:\\Program Files" + below; }

}  // namespace

SettingsValues DefaultSettings(const Options& options) {
  const std::string folder = kFirmwareFolder;
  return {
      {"DSP",
       {{"FilePath", folder + "\\" + kDspImageName},
        {"FileVer", "001.607"},
        {"Composite", options.composite},
        {"Upgrade", options.upgrade}}},
      {"CPLD",
       {{"FilePath", folder + "\\" + kCpldImageName},
        {"FileVer", "C106"},
        {"Upgrade", options.upgrade}}},
      {"CVM",
       {{"FilePath", folder + "\\" + kCvmImageName},
        {"FileVer", "1.10"},
        {"Upgrade", options.upgrade}}},
      {"APP_TYPE", {{"MODE", options.mode}}},
  };
}

fs::path HostPath(const fs::path& root, const std::string& program_path) {
  std::string rest = program_path;
  if (rest.size() >= 2 && rest[1] == ':') rest.erase(0, 2);
  std::replace(rest.begin(), rest.end(), '\\', '/');
  while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  return root / rest;
}

fs::path SettingsFilePath(const fs::path& root) {
  return root / "Windows" / "Corvik" / "CorvikUpgrade.ini";
}

fs::path FirmwareFolder(const fs::path& root) {
  return HostPath(root, ProgramFilesPath(kFirmwareFolder));
}

fs::path RegistryInstallDirectoryPath(const fs::path& root) {
  return root / "Registry" / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "Orvanta" / "Halcyra Upgrade" /
         "InstallDirectory";
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

void WriteSettingsFile(const fs::path& root, const SettingsValues& values) {
  std::string text;
  for (const auto& [section, keys] : values) {
    text.append("[").append(section).append("]\r\n");
    for (const auto& [key, value] : keys) text.append(key).append("=").append(value).append("\r\n");
    text += "\r\n";
  }
  WriteFile(SettingsFilePath(root), text);
}

void WriteRegistryInstallDirectory(const fs::path& root, const std::string& value) {
  WriteFile(RegistryInstallDirectoryPath(root), value);
}

std::vector<std::uint8_t> MakeFillerImage(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> image(size);
  std::uint32_t state = seed;
  for (std::uint8_t& byte : image) {
    state = state * 1664525U + 1013904223U;  // a linear congruential generator
    byte = static_cast<std::uint8_t>(state >> 24U);
  }
  return image;
}

std::vector<std::uint8_t> MakeDspImage(std::size_t size, std::size_t signature_offset) {
  std::vector<std::uint8_t> image =
      MakeFillerImage(std::max(size, signature_offset + kDspSignature.size()), 0xD5F);
  PlaceSignature(image, signature_offset);
  return image;
}

std::string MakeIntelHex(const std::vector<std::uint8_t>& data, std::uint32_t start_address) {
  constexpr std::uint8_t kData = 0x00;
  constexpr std::uint8_t kEndOfFile = 0x01;
  constexpr std::uint8_t kExtendedLinearAddress = 0x04;
  std::string text;
  std::uint32_t upper = 0xFFFFFFFFU;
  for (std::size_t offset = 0; offset < data.size(); offset += kHexRecordLength) {
    const std::uint32_t address = start_address + static_cast<std::uint32_t>(offset);
    if ((address >> 16U) != upper) {
      upper = address >> 16U;
      text += HexRecord(0, kExtendedLinearAddress,
                        {static_cast<std::uint8_t>(upper >> 8U), static_cast<std::uint8_t>(upper)});
    }
    const auto first = data.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto last = data.begin() +
                      static_cast<std::ptrdiff_t>(std::min(offset + kHexRecordLength, data.size()));
    text += HexRecord(static_cast<std::uint16_t>(address & 0xFFFFU), kData,
                      std::vector<std::uint8_t>(first, last));
  }
  return text + HexRecord(0, kEndOfFile, {});
}

std::string MakeConsoleParameters(std::size_t count, std::uint8_t first_value) {
  std::string text = "Data,LSB,MSB\r\n";
  for (std::size_t index = 0; index < count; ++index) {
    text += "0x" + Hex2(static_cast<unsigned>(first_value + index));
    text += (index + 1) % kParametersPerLine == 0 || index + 1 == count ? "\r\n" : ",";
  }
  return text;
}

void WriteSampleRoot(const fs::path& root, const Options& options) {
  WriteSettingsFile(root, DefaultSettings(options));

  const fs::path firmware = FirmwareFolder(root);
  // Read the way Tessaly reads the switch: trimmed and upper-cased.
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = options.composite.find_first_not_of(kBlanks);
  std::string composite_switch =
      first == std::string::npos
          ? std::string()
          : options.composite.substr(first,
                                     options.composite.find_last_not_of(kBlanks) + 1 - first);
  std::transform(composite_switch.begin(), composite_switch.end(), composite_switch.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const bool composite = composite_switch == "YES";
  WriteFile(firmware / kDspImageName,
            MakeDspImage(options.dsp_image_size,
                         composite ? kSignatureOffsetComposite : kSignatureOffsetPlain));
  WriteFile(firmware / kBootBlockImageName, MakeFillerImage(kBootBlockSize, 0xB0B));
  WriteFile(firmware / kCompositeImageName,
            MakeDspImage(kSignatureOffsetComposite + kCompositeTail, kSignatureOffsetComposite));
  WriteFile(firmware / kCpldImageName, MakeFillerImage(kCpldImageSize, 0xC9D));
  WriteFile(firmware / kCvmImageName,
            MakeIntelHex(MakeFillerImage(options.cvm_image_size, 0xC7A), kCvmStartAddress));

  WriteRegistryInstallDirectory(root, kInstallDirectory);
  const fs::path install = HostPath(root, kInstallDirectory);
  for (const ParameterFile& file : kParameterFiles) {
    WriteFile(install / "Halcyra Upgrade" / file.name,
              MakeConsoleParameters(kConsoleParameterCount, file.first_value));
  }
  WriteFile(install / "Trouble.html", std::string(kTroublePage));
  fs::create_directories(root / "AppData");
}

}  // namespace sample_root
