// The end of the application's run: asked to end without clean-up (a thread still uses the
// program's objects), the process ends with the run's exit code and destroys nothing.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/thread/win_thread.h"
#include "platform/ui/application.h"

namespace {

constexpr int kRunExitCode = 5;
constexpr int kCleanedUp = 99;

class EndingApplication : public platform::WinThread {
 public:
  platform::BOOL InitInstance() override {
    platform::EndWithoutCleanup();
    return platform::FALSE;
  }
  int ExitInstance() override { return kRunExitCode; }
};

// Stands for what a still running worker uses; its destruction would pull it from under it.
struct UsedByAWorker {
  ~UsedByAWorker() { std::_Exit(kCleanedUp); }
};

TEST(ApplicationEndTest, AnEndWithoutCleanUpKeepsTheProgramsObjectsAndTheRunsExitCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static UsedByAWorker used;
        EndingApplication application;
        std::exit(platform::RunApplication(application));
      },
      ::testing::ExitedWithCode(kRunExitCode), "");
}

}  // namespace
