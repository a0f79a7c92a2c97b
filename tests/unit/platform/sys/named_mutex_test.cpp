#include <gtest/gtest.h>

#include "platform/sys/last_error.h"
#include "platform/sys/named_mutex.h"
#include "tests/unit/platform/sys/child_process.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

using testing::ChildProcess;
using testing::RunProbe;
using testing::TempRoot;

constexpr char kName[] = "Tessaly";

TEST(NamedMutex, SecondHandleInThisProcessSeesTheFirst) {
  const TempRoot root;
  EXPECT_FALSE(OpenMutexA(MUTEX_MODIFY_STATE, FALSE, kName));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  NamedMutex first = CreateMutexA(nullptr, TRUE, kName);
  ASSERT_TRUE(first);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  NamedMutex second = CreateMutexA(nullptr, TRUE, kName);
  ASSERT_TRUE(second);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(OpenMutexA(MUTEX_MODIFY_STATE, FALSE, kName));

  first.Close();
  EXPECT_TRUE(OpenMutexA(MUTEX_MODIFY_STATE, FALSE, kName));  // the second still holds it
  second.Close();
  EXPECT_FALSE(OpenMutexA(MUTEX_MODIFY_STATE, FALSE, kName));
  EXPECT_TRUE(CreateMutexA(nullptr, TRUE, kName));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(NamedMutex, SecondProcessCannotTakeItWhileHeldAndCanAfterRelease) {
  const TempRoot root;
  NamedMutex held = CreateMutexA(nullptr, TRUE, kName);
  ASSERT_TRUE(held);
  EXPECT_EQ(RunProbe({"mutex", kName}), "exists");
  held.Close();
  EXPECT_EQ(RunProbe({"mutex", kName}), "created");
}

TEST(NamedMutex, HolderThatDiesLetsGo) {
  const TempRoot root;
  ChildProcess holder({"mutex", kName, "hold"});
  ASSERT_EQ(holder.ReadLine(), "created");
  EXPECT_TRUE(CreateMutexA(nullptr, TRUE, kName));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

  holder.Kill();
  EXPECT_TRUE(CreateMutexA(nullptr, TRUE, kName));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(NamedMutex, NamesAreKeptPerRoot) {
  const TempRoot first_root;
  const NamedMutex held = CreateMutexA(nullptr, TRUE, kName);
  ASSERT_TRUE(held);
  const TempRoot second_root;
  EXPECT_TRUE(CreateMutexA(nullptr, TRUE, kName));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

}  // namespace
}  // namespace platform
