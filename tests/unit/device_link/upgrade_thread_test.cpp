// The worker's job record and its reply hand-out, without a thread running.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "device_link/upgrade_thread.h"
#include "platform/clock/clock.h"
#include "tests/unit/device_link/allocation_failure.h"
#include "tests/unit/device_link/link_test_support.h"

namespace {

using ::testing::ElementsAre;

class UpGradeThreadTest : public ::testing::Test {
 protected:
  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  link_test::ScopedBoxRecorder boxes_;
  std::unique_ptr<CUpGradeThread> worker_{CUpGradeThread::CreateObject()};
};

TEST_F(UpGradeThreadTest, SetThreadTaskStoresTheJobAndDropsAnEarlierPayload) {
  worker_->m_bTaskHasPayload = 1;
  worker_->m_arrTaskPayload = {1, 2, 3};

  _STRUCT_THREAD_TASK task;
  task.nTaskKind = TASK_SEND_CVM_FILE;
  task.strFilePath = "C:\\Program Files\\Corvik\\cvm.bin";
  task.nCommand = 0xD002;
  task.nImageLength = 4096;
  task.nImageStart = 0x8000;
  task.nImageChecksum = 0x1234;
  EXPECT_EQ(worker_->SetThreadTask(task), 0);

  EXPECT_EQ(worker_->m_nTaskKind, TASK_SEND_CVM_FILE);
  EXPECT_EQ(worker_->m_strTaskFilePath, task.strFilePath);
  EXPECT_EQ(worker_->m_nTaskCommand, 0xD002);
  EXPECT_EQ(worker_->m_nImageLength, 4096);
  EXPECT_EQ(worker_->m_nImageStart, 0x8000);
  EXPECT_EQ(worker_->m_nImageChecksum, 0x1234);
  EXPECT_EQ(worker_->m_bTaskHasPayload, 0);
}

TEST_F(UpGradeThreadTest, ANewWorkerHasNoJobAndNoReply) {
  EXPECT_EQ(worker_->m_nTaskKind, TASK_NONE);
  EXPECT_EQ(worker_->m_nTaskCommand, kNoTaskCommand);

  std::vector<platform::BYTE> reply = {9, 9};
  platform::BYTE verified = 7;
  EXPECT_EQ(worker_->GetRecData(reply, verified), -1);
  EXPECT_THAT(reply, ElementsAre(9, 9));
  EXPECT_EQ(verified, 7);
}

TEST_F(UpGradeThreadTest, GetRecDataThatRunsOutOfMemoryReportsItAndGivesMinusOne) {
  worker_->m_arrReply.assign(64, 0xD1);
  worker_->m_bReplyVerified = 1;
  worker_->m_bReplyReceived = 1;

  link_test::RunAsPlatformThread([&] {
    std::vector<platform::BYTE> reply;
    platform::BYTE verified = 5;
    link_test::FailNextAllocation(64);
    EXPECT_EQ(worker_->GetRecData(reply, verified), -1);
    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(verified, 5);

    // The failure does not stick: the next call hands the reply out.
    EXPECT_EQ(worker_->GetRecData(reply, verified), 0);
    EXPECT_EQ(reply.size(), 64U);
    EXPECT_EQ(verified, 1);
  });
  // An allocation failure is the framework's memory exception: the box names the handler only.
  ASSERT_EQ(boxes_->Boxes().size(), 1U);
  EXPECT_EQ(boxes_->Boxes()[0].text, "Exception catched in GetRecData");
}

}  // namespace
