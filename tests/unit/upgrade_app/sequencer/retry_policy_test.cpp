#include "upgrade_app/sequencer/retry_policy.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using retry_policy::Action;
using retry_policy::OnReplyTimeout;
using retry_policy::Runner;

constexpr int kEnableUsb = 0xD0AA;
constexpr int kEnableUsbUpgrade = 0xD0AC;
constexpr int kCpldInit = 0xD008;
constexpr int kDspVersion = 0xD002;
constexpr int kCvmVersion = 0xD003;
constexpr int kRadioMode = 0xD01C;
constexpr int kDeviceJob = 1;

struct Row {
  int retry;
  Runner runner;
  int pending;
  Action action;
};

TEST(RetryPolicyTest, EveryRowOfTheTimeOutTable) {
  const std::vector<Row> rows = {
      // First time-out.
      {1, Runner::kMain, kEnableUsb, Action::kRebootDialogue},
      {1, Runner::kMain, kEnableUsbUpgrade, Action::kRebootDialogue},
      {1, Runner::kMain, kCvmVersion, Action::kPostRadioModuleRunner},
      {1, Runner::kMain, kCpldInit, Action::kRepeatStep},
      {1, Runner::kMain, kDeviceJob, Action::kRepeatStep},
      {1, Runner::kDetection, kEnableUsb, Action::kDetectionFailed},
      {1, Runner::kRadioModule, kEnableUsbUpgrade, Action::kDetectionFailed},
      {1, Runner::kDetection, kCvmVersion, Action::kNextStepFresh},
      // Not named by the table: the owning runner's step again.
      {1, Runner::kDetection, kDspVersion, Action::kRepeatStep},
      {1, Runner::kDetection, kDeviceJob, Action::kRepeatStep},
      {1, Runner::kRadioModule, kCvmVersion, Action::kRepeatStep},
      {1, Runner::kRadioModule, kDeviceJob, Action::kRepeatStep},
      // Second and third.
      {2, Runner::kDetection, kDspVersion, Action::kNextStep},
      {3, Runner::kDetection, kDspVersion, Action::kNextStep},
      {2, Runner::kDetection, kRadioMode, Action::kRepeatStep},
      {3, Runner::kDetection, kEnableUsb, Action::kRepeatStep},
      {2, Runner::kRadioModule, kCvmVersion, Action::kNextStep},
      {3, Runner::kRadioModule, kDeviceJob, Action::kRepeatStep},
      {2, Runner::kMain, kEnableUsb, Action::kRepeatStep},
      {2, Runner::kMain, kCpldInit, Action::kRepeatStep},
      {3, Runner::kMain, kCpldInit, Action::kAbort},
      {3, Runner::kMain, kEnableUsb, Action::kAbort},
      // Fourth and later, whatever runs.
      {4, Runner::kDetection, kDspVersion, Action::kAbort},
      {4, Runner::kRadioModule, kCvmVersion, Action::kAbort},
      {5, Runner::kMain, kCpldInit, Action::kAbort},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(OnReplyTimeout(row.retry, row.runner, row.pending), row.action)
        << "retry " << row.retry << " runner " << static_cast<int>(row.runner) << " pending 0x"
        << std::hex << row.pending;
  }
}

}  // namespace
