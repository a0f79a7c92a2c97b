// Time-outs of single jobs, as a user of the engineering window sees them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::Escaped;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;

TEST(SequencerTimeOutTest, AResetWithoutConsoleEndsInTheNoResponseTextAndGivesTheButtonBack) {
  const TessalyRoot root = EngineeringRoot();
  const RunResult result =
      root.Run("click 1081\nanswer ok\ntime\ndump 1081\ndump 1000\nclick 1\n", root.Scenario("[]"));
  const std::string no_response = std::string(tessaly_e2e::kNoResponseText);
  const std::string reset_failed =
      "box thread=worker owner=none caption=\"Halcyra Upgrade\" text=\"Device Reset Failed!\" "
      "icon=none buttons=ok answer=ok";
  EXPECT_EQ(result.transcript,
            (std::vector<std::string>{
                "dialog open 104",
                reset_failed,
                "time ms=20000",
                "control 1081 text=\"&Reset USB Device\" enabled=1 visible=1",
                "control 1000 text=\"" + Escaped(no_response) + "\" enabled=1 visible=1",
                "dialog close 104 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(root.StatusFile(), no_response);
}

}  // namespace
