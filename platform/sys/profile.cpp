#include "platform/sys/profile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sys/names.h"
#include "platform/sys/path_mapping.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char kCommentStart = ';';

struct ProfileSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;  // key, value in file order
};

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string_view TrimLineEnd(std::string_view line) {
  return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

std::filesystem::path ProfilePath(std::string_view file_name) {
  if (file_name.find_first_of("\\/") != std::string_view::npos) return MapPath(file_name);
  return HostPathOf(SystemLocation::kWindows) / file_name;
}

// "[name]"; a missing "]" closes the name at the end of the line.
std::string SectionName(std::string_view line) {
  const std::size_t close = line.find(']');
  const std::size_t length = close == std::string_view::npos ? line.size() - 1 : close - 1;
  return std::string(Trim(line.substr(1, length)));
}

// Sections in file order; lines before the first section and lines without "=" are ignored.
std::vector<ProfileSection> ReadProfile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string_view rest = content;
  if (rest.starts_with(kUtf8ByteOrderMark)) rest.remove_prefix(kUtf8ByteOrderMark.size());

  std::vector<ProfileSection> sections;
  while (!rest.empty()) {
    const std::size_t line_end = std::min(rest.find('\n'), rest.size());
    const std::string_view text = Trim(TrimLineEnd(rest.substr(0, line_end)));
    rest.remove_prefix(std::min(line_end + 1, rest.size()));
    if (text.empty() || text.front() == kCommentStart) continue;
    if (text.front() == '[') {
      sections.push_back({SectionName(text), {}});
      continue;
    }
    const std::size_t equals = text.find('=');
    if (sections.empty() || equals == std::string_view::npos) continue;
    sections.back().entries.emplace_back(Trim(text.substr(0, equals)),
                                         Trim(text.substr(equals + 1)));
  }
  return sections;
}

std::optional<std::string> FindValue(const std::vector<ProfileSection>& sections,
                                     std::string_view section, std::string_view key) {
  for (const ProfileSection& candidate : sections) {
    if (!EqualIgnoringCase(candidate.name, section)) continue;
    for (const auto& [name, value] : candidate.entries) {
      if (EqualIgnoringCase(name, key)) return value;
    }
  }
  return std::nullopt;
}

std::vector<std::string> KeyNames(const std::vector<ProfileSection>& sections,
                                  std::string_view section) {
  std::vector<std::string> names;
  for (const ProfileSection& candidate : sections) {
    if (!EqualIgnoringCase(candidate.name, section)) continue;
    for (const auto& entry : candidate.entries) names.push_back(entry.first);
  }
  return names;
}

std::vector<std::string> SectionNames(const std::vector<ProfileSection>& sections) {
  std::vector<std::string> names;
  names.reserve(sections.size());
  for (const ProfileSection& section : sections) names.push_back(section.name);
  return names;
}

DWORD CopyValue(std::string_view value, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(value.size(), size - 1);
  std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

// Names one after the other, each terminated, then one more terminator.
DWORD CopyNameList(const std::vector<std::string>& names, char* buffer, DWORD size) {
  constexpr DWORD kListTerminators = 2;
  if (buffer == nullptr || size == 0) return 0;
  if (size < kListTerminators) {
    buffer[0] = '\0';
    return 0;
  }
  std::string list;
  for (const std::string& name : names) {
    list += name;
    list += '\0';
  }
  if (list.empty()) list += '\0';
  if (list.size() < size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(names.empty() ? 0 : list.size());
  }
  const DWORD kept = size - kListTerminators;
  std::memcpy(buffer, list.data(), kept);
  buffer[kept] = '\0';
  buffer[kept + 1] = '\0';
  return kept;
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* default_value,
                               char* buffer, DWORD size, const char* file_name) {
  const std::vector<ProfileSection> sections =
      file_name == nullptr ? std::vector<ProfileSection>() : ReadProfile(ProfilePath(file_name));
  if (section == nullptr) return CopyNameList(SectionNames(sections), buffer, size);
  if (key == nullptr) return CopyNameList(KeyNames(sections, section), buffer, size);
  if (const std::optional<std::string> value = FindValue(sections, section, key)) {
    return CopyValue(*value, buffer, size);
  }
  const std::string_view fallback = default_value == nullptr ? "" : default_value;
  return CopyValue(fallback.substr(0, fallback.find_last_not_of(kBlanks) + 1), buffer, size);
}

}  // namespace platform
