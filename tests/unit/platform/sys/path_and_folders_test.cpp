#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/sys/folders.h"
#include "platform/sys/path_mapping.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedVariable;
using testing::TempRoot;

TEST(PathMapping, WindowsPathsLieUnderTheRootAndHostPathsStayAsTheyAre) {
  const TempRoot root;
  EXPECT_EQ(MapPath("C:\\Windows\\Corvik\\CorvikUpgrade.ini"),
            root.Path() / "Windows" / "Corvik" / "CorvikUpgrade.ini");
  EXPECT_EQ(MapPath("\\TessalyStatus.txt"), root.Path() / "TessalyStatus.txt");
  EXPECT_EQ(MapPath("/tmp/x.bin"), fs::path("/tmp/x.bin"));
  EXPECT_EQ(MapPath("testCVM.bin"), fs::path("testCVM.bin"));
  EXPECT_EQ(MapPath("Images\\a.hex"), fs::path("Images/a.hex"));
  // A host path chosen in a file dialog and extended the Windows way.
  EXPECT_EQ(MapPath("/opt/images\\QVX.bin"), fs::path("/opt/images/QVX.bin"));
}

TEST(PathMapping, DotsNeverLeaveTheRoot) {
  const TempRoot root;
  EXPECT_EQ(MapPath("C:\\..\\..\\etc\\passwd"), root.Path() / "etc" / "passwd");
  EXPECT_EQ(MapPath("\\Windows\\.\\Corvik\\..\\x.ini"), root.Path() / "Windows" / "x.ini");
  EXPECT_EQ(MapPath("c:\\"), root.Path());
}

TEST(PathMapping, RootDefaultsToTheUsersDataHome) {
  const ScopedVariable no_root("TESSALY_ROOT", nullptr);
  {
    const ScopedVariable data_home("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(TessalyRoot(), fs::path("/srv/data/tessaly"));
  }
  const ScopedVariable no_data_home("XDG_DATA_HOME", nullptr);
  const ScopedVariable home("HOME", "/home/someone");
  EXPECT_EQ(TessalyRoot(), fs::path("/home/someone/.local/share/tessaly"));
}

TEST(PathMapping, HostPathsAreAnsweredInWindowsFormWhenUnderTheRoot) {
  const TempRoot root;
  EXPECT_EQ(WindowsPathOf(root.Path() / "Program Files" / "Orvanta"), "C:\\Program Files\\Orvanta");
  EXPECT_EQ(WindowsPathOf(root.Path()), "C:\\");
  EXPECT_EQ(WindowsPathOf("/usr/share"), "/usr/share");
}

TEST(Folders, WindowsDirectoryFitsOrReportsTheSizeItNeeds) {
  const TempRoot root;
  char buffer[100] = "unchanged";
  EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
  EXPECT_STREQ(buffer, "C:\\Windows");

  char small[10] = "unchanged";  // "C:\Windows" needs 11 with its terminator
  EXPECT_EQ(GetWindowsDirectoryA(small, sizeof small), 11u);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), 11u);
}

TEST(Folders, SpecialFoldersAndTheirOverrides) {
  const TempRoot root;
  char path[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAM_FILES, FALSE));
  EXPECT_STREQ(path, "C:\\Program Files");
  EXPECT_FALSE(fs::exists(root.Path() / "Program Files"));  // nothing created unasked

  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
  EXPECT_STREQ(path, "C:\\AppData");
  EXPECT_TRUE(fs::is_directory(root.Path() / "AppData"));

  const ScopedVariable elsewhere("TESSALY_APPDATA_DIR", "/var/tmp/tessaly-appdata");
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
  EXPECT_STREQ(path, "/var/tmp/tessaly-appdata");
  const ScopedVariable inside("TESSALY_WINDOWS_DIR", "C:\\WINNT");
  EXPECT_EQ(GetWindowsDirectoryA(path, MAX_PATH), 8u);
  EXPECT_STREQ(path, "C:\\WINNT");

  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x7777, FALSE));
}

TEST(Folders, CurrentDirectoryInWindowsForm) {
  const TempRoot root;
  fs::create_directories(root.Path() / "Work");
  const fs::path saved = fs::current_path();
  fs::current_path(root.Path() / "Work");
  char buffer[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  const std::string current = buffer;
  fs::current_path(saved);
  EXPECT_EQ(current, "C:\\Work");
  EXPECT_EQ(length, current.size());
}

}  // namespace
}  // namespace platform
