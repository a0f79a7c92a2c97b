#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/sys/last_error.h"
#include "platform/sys/registry.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

using testing::TempRoot;

constexpr char kKeyPath[] = "SOFTWARE\\Orvanta\\Halcyra Upgrade";
constexpr char kValueFile[] =
    "Registry/HKEY_LOCAL_MACHINE/SOFTWARE/Orvanta/Halcyra Upgrade/InstallDirectory";
constexpr DWORD kInstallBuffer = 250;

class RegistryTest : public ::testing::Test {
 protected:
  // Opens the install key, queries InstallDirectory into a 250-byte buffer and closes the key.
  LSTATUS QueryInstallDirectory(const char* key_path = kKeyPath) {
    HKEY key{};
    const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) return opened;
    std::memset(buffer_, 0, sizeof buffer_);
    size_ = kInstallBuffer;
    DWORD type = 0;
    const LSTATUS queried = RegQueryValueExA(key, "InstallDirectory", nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer_), &size_);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    if (queried == ERROR_SUCCESS) {
      EXPECT_EQ(type, REG_SZ);
    }
    return queried;
  }

  TempRoot root_;
  char buffer_[kInstallBuffer] = {};
  DWORD size_ = 0;
};

TEST_F(RegistryTest, StringValueIsReadWithoutItsTrailingLineBreak) {
  root_.Write(kValueFile, "C:\\Program Files\\Orvanta\n");
  ASSERT_EQ(QueryInstallDirectory(), static_cast<LSTATUS>(ERROR_SUCCESS));
  EXPECT_STREQ(buffer_, "C:\\Program Files\\Orvanta");
  EXPECT_EQ(size_, 25u);  // with the terminator
  // Registry names do not care about case.
  ASSERT_EQ(QueryInstallDirectory("software\\ORVANTA\\halcyra upgrade"),
            static_cast<LSTATUS>(ERROR_SUCCESS));
}

TEST_F(RegistryTest, MissingKeyOrValueIsNotFound) {
  EXPECT_EQ(QueryInstallDirectory(), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  root_.Write("Registry/HKEY_LOCAL_MACHINE/SOFTWARE/Orvanta/Halcyra Upgrade/Other", "x");
  EXPECT_EQ(QueryInstallDirectory(), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  EXPECT_STREQ(buffer_, "");
  // A key path that climbs out of the registry is no key.
  EXPECT_EQ(QueryInstallDirectory("..\\..\\Registry\\HKEY_LOCAL_MACHINE\\SOFTWARE"),
            static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, ValueTooLongForTheBufferIsMoreDataAndLeavesTheBufferAlone) {
  root_.Write(kValueFile, std::string(kInstallBuffer, 'd'));
  EXPECT_EQ(QueryInstallDirectory(), static_cast<LSTATUS>(ERROR_MORE_DATA));
  EXPECT_EQ(size_, kInstallBuffer + 1);
  EXPECT_STREQ(buffer_, "");

  root_.Write(kValueFile, std::string(kInstallBuffer - 1, 'd'));  // just fits
  EXPECT_EQ(QueryInstallDirectory(), static_cast<LSTATUS>(ERROR_SUCCESS));
  EXPECT_EQ(std::strlen(buffer_), kInstallBuffer - 1);
}

TEST_F(RegistryTest, SizeQueryAndClosedHandles) {
  root_.Write(kValueFile, "abc");
  HKEY key{};
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key),
            static_cast<LSTATUS>(ERROR_SUCCESS));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "InstallDirectory", nullptr, nullptr, nullptr, &size),
            static_cast<LSTATUS>(ERROR_SUCCESS));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(RegCloseKey(key), static_cast<LSTATUS>(ERROR_SUCCESS));
  EXPECT_EQ(RegQueryValueExA(key, "InstallDirectory", nullptr, nullptr, nullptr, &size),
            static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(RegCloseKey(key), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace platform
