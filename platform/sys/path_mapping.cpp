#include "platform/sys/path_mapping.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr char kDriveRoot[] = "C:\\";

struct LocationPlace {
  SystemLocation location;
  const char* override_variable;
  const char* folder_under_root;
};

constexpr LocationPlace kLocationPlaces[] = {
    {SystemLocation::kWindows, "TESSALY_WINDOWS_DIR", "Windows"},
    {SystemLocation::kProgramFiles, "TESSALY_PROGRAM_FILES_DIR", "Program Files"},
    {SystemLocation::kAppData, "TESSALY_APPDATA_DIR", "AppData"},
    {SystemLocation::kRegistry, "TESSALY_REGISTRY_DIR", "Registry"},
};

// The variable's value, or empty when it is unset or empty.
std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool StartsWithDrive(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 &&
         path[1] == ':';
}

fs::path UserDataHome() {
  const std::string_view data_home = Variable("XDG_DATA_HOME");
  if (!data_home.empty() && data_home.front() == '/') return fs::path(data_home);
  const std::string_view home = Variable("HOME");
  if (!home.empty()) return fs::path(home) / ".local" / "share";
  return fs::temp_directory_path();
}

// The components of a path below the drive root, "." dropped and ".." stopping at the root.
std::vector<std::string_view> RootedComponents(std::string_view rest) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= rest.size()) {
    const auto end =
        std::find_if(rest.begin() + static_cast<std::ptrdiff_t>(start), rest.end(), IsSeparator);
    const auto length = static_cast<std::size_t>(end - rest.begin()) - start;
    const std::string_view part = rest.substr(start, length);
    if (part == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!part.empty() && part != ".") {
      components.push_back(part);
    }
    start += length + 1;
  }
  return components;
}

// `path` relative to `folder` when it lies inside it.
std::optional<fs::path> RelativeBelow(const fs::path& path, const fs::path& folder) {
  fs::path relative = path.lexically_relative(folder);
  if (relative.empty() || *relative.begin() == "..") return std::nullopt;
  return relative;
}

std::string WithSlashes(std::string_view path) {
  std::string result(path);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

}  // namespace

fs::path TessalyRoot() {
  const std::string_view root = Variable("TESSALY_ROOT");
  const fs::path chosen = root.empty() ? UserDataHome() / "tessaly" : fs::path(root);
  fs::path normal = fs::absolute(chosen).lexically_normal();
  if (!normal.has_filename() && normal != normal.root_path()) normal = normal.parent_path();
  return normal;
}

fs::path MapPath(std::string_view path) {
  const bool drive = StartsWithDrive(path);
  if (!drive && (path.empty() || path.front() != '\\')) return fs::path(WithSlashes(path));
  fs::path host = TessalyRoot();
  for (const std::string_view part : RootedComponents(drive ? path.substr(2) : path)) {
    host /= fs::path(part);
  }
  return host;
}

std::string WindowsPathOf(const fs::path& host_path) {
  const fs::path normal = fs::absolute(host_path).lexically_normal();
  const fs::path root = TessalyRoot();
  std::optional<fs::path> relative = RelativeBelow(normal, root);
  // The host may name the same folders through links (the current directory is resolved).
  std::error_code error;
  if (!relative) {
    relative =
        RelativeBelow(fs::weakly_canonical(normal, error), fs::weakly_canonical(root, error));
  }
  if (!relative) return normal.string();
  std::string windows = kDriveRoot;
  for (const fs::path& part : *relative) {
    if (part == "." || part.empty()) continue;
    if (windows.back() != '\\') windows += '\\';
    windows += part.string();
  }
  return windows;
}

fs::path HostPathOf(SystemLocation location) {
  const auto place =
      std::find_if(std::begin(kLocationPlaces), std::end(kLocationPlaces),
                   [location](const LocationPlace& p) { return p.location == location; });
  const std::string_view override_value = Variable(place->override_variable);
  if (!override_value.empty()) return MapPath(override_value);
  return TessalyRoot() / place->folder_under_root;
}

}  // namespace platform
