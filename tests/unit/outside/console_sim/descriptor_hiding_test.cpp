// Hide rules: after a USB reset or an answer to a chosen request, the identity descriptor reads
// empty for a while, and each hidden read is recorded.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "outside/console_sim/console.h"
#include "outside/console_sim/scenario_file.h"
#include "tests/unit/outside/console_sim/host.h"

namespace {

using namespace console_sim_test;
using sim::Console;
using sim::DeviceScenario;
using sim::HideRule;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The next `count` reads of descriptor 2, empty ones as "".
std::vector<std::string> ReadIdentity(const Console& console, int count) {
  std::vector<std::string> reads;
  reads.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) reads.push_back(console.StringDescriptor(2).value_or("none"));
  return reads;
}

constexpr char kId[] = "TMX320VC5509";

TEST(DescriptorHidingTest, AfterEachUsbResetSkipsThenHides) {
  DeviceScenario scenario;
  scenario.hide_after = {HideRule{std::nullopt, 1, 2}};
  Console console(scenario);

  EXPECT_THAT(ReadIdentity(console, 2), ElementsAre(kId, kId)) << "nothing before a reset";
  console.Reset();
  EXPECT_THAT(ReadIdentity(console, 4), ElementsAre(kId, "", "", kId));
  console.Reset();
  EXPECT_THAT(ReadIdentity(console, 2), ElementsAre(kId, ""));
  console.Reset();  // starts the window afresh, in the middle of the last one
  EXPECT_THAT(ReadIdentity(console, 4), ElementsAre(kId, "", "", kId));
  EXPECT_EQ(console.StringDescriptor(1), std::nullopt) << "other descriptors do not count";
  EXPECT_THAT(console.Received(), ElementsAre("reset", "hidden", "hidden", "reset", "hidden",
                                              "reset", "hidden", "hidden"));
}

TEST(DescriptorHidingTest, AfterAnAnsweredRequestOnly) {
  DeviceScenario scenario;
  scenario.hide_after = {HideRule{0xD0AA, 0, 1}};
  scenario.faults = {sim::Fault{0xD0AA, sim::FaultKind::kNoReply, 1}};
  Console console(scenario);
  Configure(console);

  SendCommand(console, 0xD0AA);  // not answered
  Ask(console, 0xD0AB);          // another code
  console.Reset();               // no reset rule
  EXPECT_THAT(ReadIdentity(console, 1), ElementsAre(kId));

  Configure(console);
  ASSERT_TRUE(Ask(console, 0xD0AA));
  EXPECT_THAT(ReadIdentity(console, 2), ElementsAre("", kId));
  EXPECT_EQ(console.Received().back(), "hidden");
}

TEST(DescriptorHidingTest, EveryOpenWindowCountsEachRead) {
  DeviceScenario scenario;
  scenario.hide_after = {HideRule{std::nullopt, 0, 1}, HideRule{std::nullopt, 2, 1}};
  Console console(scenario);

  console.Reset();
  EXPECT_THAT(ReadIdentity(console, 4), ElementsAre("", kId, "", kId));
}

TEST(DescriptorHidingTest, ScenarioFileKeyAndItsErrors) {
  const sim::Scenario scenario = sim::ParseScenario(R"({"devices": [{"hide_after": [
      {"after": "reset", "skip": 2, "times": 3}, {"after": "0xd0aa"}]}]})");
  const auto& rules = scenario.devices[0].hide_after;
  ASSERT_EQ(rules.size(), 2U);
  EXPECT_EQ(rules[0].after_command, std::nullopt);
  EXPECT_EQ(rules[0].skip, 2);
  EXPECT_EQ(rules[0].times, 3);
  EXPECT_EQ(rules[1].after_command, 0xD0AA);
  EXPECT_EQ(rules[1].skip, 0);
  EXPECT_EQ(rules[1].times, 1);

  const auto error_of = [](const std::string& rule) -> std::string {
    try {
      sim::ParseScenario(R"({"devices": [{"hide_after": [)" + rule + "]}]}");
    } catch (const sim::ScenarioError& error) {
      return error.what();
    }
    return "no error";
  };
  EXPECT_THAT(error_of(R"({"skip": 1})"), HasSubstr("devices[0].hide_after[0]: needs an after"));
  EXPECT_THAT(error_of(R"({"after": "boot"})"), HasSubstr("hide_after[0].after:"));
  EXPECT_THAT(error_of(R"({"after": "reset", "skip": -1})"),
              HasSubstr("skip: must be a whole number of at least 0"));
  EXPECT_THAT(error_of(R"({"after": "reset", "times": 0})"),
              HasSubstr("times: must be a whole number of at least 1"));
  EXPECT_THAT(error_of(R"({"after": "reset", "count": 1})"),
              HasSubstr("hide_after[0].count: is not a known key"));
}

}  // namespace
