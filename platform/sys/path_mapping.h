#pragma once

// The program names files the Windows way ("C:\Windows\Corvik\CorvikUpgrade.ini"); the host
// keeps them under one folder that stands for drive C:. Every file-system call of the
// platform goes through MapPath, and folders are answered in Windows form.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The folder that stands for drive C: (TESSALY_ROOT, else "tessaly" in the user's data home).
std::filesystem::path TessalyRoot();

// Host path of a program path: "C:\..." and "\..." lie under the root ("." and ".." resolved,
// never above the root), "/..." is a host path, anything else stays relative to the current
// directory. Backslashes become slashes.
std::filesystem::path MapPath(std::string_view path);

// Windows form of a host path: "C:\..." when it lies under the root, else the host path.
std::string WindowsPathOf(const std::filesystem::path& host_path);

enum class SystemLocation { kWindows, kProgramFiles, kAppData, kRegistry };

// Host folder of a system location: its override variable when set, else its folder under the
// root.
std::filesystem::path HostPathOf(SystemLocation location);

}  // namespace platform
