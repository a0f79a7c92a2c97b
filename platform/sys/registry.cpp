#include "platform/sys/registry.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/sys/last_error.h"
#include "platform/sys/names.h"
#include "platform/sys/path_mapping.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

// The file of the value that a key holds under no name.
constexpr char kDefaultValueName[] = "(Default)";

struct Hive {
  HKEY key;
  const char* folder;
};

constexpr Hive kHives[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},     {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},   {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
};

// Keys opened by RegOpenKeyExA, by handle number. Numbers start far below the hives'.
class OpenKeys {
 public:
  HKEY Add(fs::path folder) {
    std::lock_guard lock(mutex_);
    const HKEY key{next_++};
    folders_.emplace(key, std::move(folder));
    return key;
  }
  std::optional<fs::path> Find(HKEY key) const {
    std::lock_guard lock(mutex_);
    const auto found = folders_.find(key);
    if (found == folders_.end()) return std::nullopt;
    return found->second;
  }
  bool Remove(HKEY key) {
    std::lock_guard lock(mutex_);
    return folders_.erase(key) > 0;
  }

 private:
  mutable std::mutex mutex_;
  std::uintptr_t next_ = 1;
  std::map<HKEY, fs::path> folders_;
};

OpenKeys& TheOpenKeys() {
  static OpenKeys keys;
  return keys;
}

std::optional<fs::path> FolderOf(HKEY key) {
  const auto hive = std::find_if(std::begin(kHives), std::end(kHives),
                                 [key](const Hive& h) { return h.key == key; });
  if (hive != std::end(kHives)) return HostPathOf(SystemLocation::kRegistry) / hive->folder;
  return TheOpenKeys().Find(key);
}

// The entry of `folder` named `name` in any case; an exact match wins. Names that would leave
// the folder are refused.
std::optional<fs::path> FindEntry(const fs::path& folder, std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) {
    return std::nullopt;
  }
  std::error_code error;
  const fs::path exact = folder / name;
  if (fs::exists(exact, error)) return exact;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (EqualIgnoringCase(entry.path().filename().string(), name)) return entry.path();
  }
  return std::nullopt;
}

std::optional<fs::path> FindKeyFolder(fs::path folder, std::string_view sub_key) {
  std::size_t start = 0;
  while (start < sub_key.size()) {
    const std::size_t end = std::min(sub_key.find('\\', start), sub_key.size());
    const std::string_view part = sub_key.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    const std::optional<fs::path> found = FindEntry(folder, part);
    if (!found) return std::nullopt;
    folder = *found;
  }
  std::error_code error;
  if (!fs::is_directory(folder, error)) return std::nullopt;
  return folder;
}

std::optional<std::string> ReadValueText(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::nullopt;
  std::ostringstream text;
  text << stream.rdbuf();
  std::string value = text.str();
  if (value.ends_with('\n')) {
    value.pop_back();
    if (value.ends_with('\r')) value.pop_back();
  }
  return value;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, const char* sub_key, DWORD /*options*/, REGSAM /*desired*/,
                      HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  const std::optional<fs::path> base = FolderOf(key);
  if (!base) return ERROR_INVALID_HANDLE;
  const std::optional<fs::path> folder = FindKeyFolder(*base, sub_key == nullptr ? "" : sub_key);
  if (!folder) return ERROR_FILE_NOT_FOUND;
  *result = TheOpenKeys().Add(*folder);
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, const char* value_name, DWORD* /*reserved*/, DWORD* type,
                         BYTE* data, DWORD* data_size) {
  if (data != nullptr && data_size == nullptr) return ERROR_INVALID_PARAMETER;
  const std::optional<fs::path> folder = FolderOf(key);
  if (!folder) return ERROR_INVALID_HANDLE;
  const std::string_view name =
      value_name == nullptr || *value_name == '\0' ? kDefaultValueName : value_name;
  const std::optional<fs::path> file = FindEntry(*folder, name);
  const std::optional<std::string> value = file ? ReadValueText(*file) : std::nullopt;
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = REG_SZ;
  const auto needed = static_cast<DWORD>(value->size() + 1);
  if (data == nullptr) {
    if (data_size != nullptr) *data_size = needed;
    return ERROR_SUCCESS;
  }
  const DWORD room = *data_size;
  *data_size = needed;
  if (room < needed) return ERROR_MORE_DATA;
  std::memcpy(data, value->c_str(), needed);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  const bool hive = std::any_of(std::begin(kHives), std::end(kHives),
                                [key](const Hive& h) { return h.key == key; });
  if (hive || TheOpenKeys().Remove(key)) return ERROR_SUCCESS;
  return ERROR_INVALID_HANDLE;
}

}  // namespace platform
