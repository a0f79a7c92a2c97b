// The scenario file: every documented key, the defaults of absent keys, and errors that say
// where the file is wrong.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "outside/console_sim/scenario_file.h"

namespace {

using namespace outside::console_sim;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(ScenarioFileTest, ReadsEveryKey) {
  const Scenario scenario = ParseScenario(R"({
    "record": "/tmp/received.txt",
    "devices": [
      { "string2": "Card reader", "refuse_open": true },
      {
        "replies": { "0xD002": "09 12", "0xd0aa": "" },
        "after_image": { "dsp": { "0xD002": "07 16" }, "bootblock": {} },
        "faults": [
          { "command": "0xD0AA", "kind": "no-reply", "times": 3 },
          { "command": "0xD002", "kind": "wrong-code" },
          { "command": "0xD003", "kind": "bad-length" },
          { "command": "0xD01C", "kind": "delay", "ms": 2500 }
        ],
        "remove_after": "0xD0AB"
      }
    ]
  })");

  EXPECT_EQ(scenario.record, std::filesystem::path("/tmp/received.txt"));
  ASSERT_EQ(scenario.devices.size(), 2U);
  const DeviceScenario& foreign = scenario.devices[0];
  EXPECT_EQ(foreign.string2, "Card reader");
  EXPECT_TRUE(foreign.refuse_open);
  EXPECT_TRUE(foreign.default_replies);

  const DeviceScenario& console = scenario.devices[1];
  EXPECT_EQ(console.string2, "TMX320VC5509");
  EXPECT_FALSE(console.refuse_open);
  EXPECT_FALSE(console.default_replies) << "written replies stand alone";
  EXPECT_THAT(console.replies.at(0xD002), ElementsAre(0x09, 0x12));
  EXPECT_THAT(console.replies.at(0xD0AA), IsEmpty());
  EXPECT_THAT(console.after_image.at(ImageKind::kDsp).at(0xD002), ElementsAre(0x07, 0x16));
  EXPECT_THAT(console.after_image.at(ImageKind::kBootblock), IsEmpty());
  ASSERT_EQ(console.faults.size(), 4U);
  EXPECT_EQ(console.faults[0].command, 0xD0AA);
  EXPECT_EQ(console.faults[0].kind, FaultKind::kNoReply);
  EXPECT_EQ(console.faults[0].times, 3);
  EXPECT_EQ(console.faults[1].kind, FaultKind::kWrongCode);
  EXPECT_EQ(console.faults[1].times, 1);
  EXPECT_EQ(console.faults[2].kind, FaultKind::kBadLength);
  EXPECT_EQ(console.faults[3].kind, FaultKind::kDelay);
  EXPECT_EQ(console.faults[3].delay_ms, 2500);
  EXPECT_EQ(console.remove_after, 0xD0AB);
}

TEST(ScenarioFileTest, AbsentKeysGiveOneDefaultConsole) {
  const Scenario empty = ParseScenario("{}");
  ASSERT_EQ(empty.devices.size(), 1U);
  EXPECT_TRUE(empty.devices[0].default_replies);
  EXPECT_EQ(empty.devices[0].string2, "TMX320VC5509");
  EXPECT_FALSE(empty.record);

  EXPECT_TRUE(ParseScenario(R"({"devices": []})").devices.empty());

  const Scenario layered =
      ParseScenario(R"({"devices": [{"default_replies": true, "replies": {"0xD01C": "03"}}]})");
  EXPECT_TRUE(layered.devices[0].default_replies);
}

std::string ErrorOf(const std::string& json) {
  try {
    ParseScenario(json);
  } catch (const ScenarioError& error) {
    return error.what();
  }
  return "no error";
}

TEST(ScenarioFileTest, ErrorsSayWhereAndWhat) {
  EXPECT_THAT(ErrorOf("{"), HasSubstr("not valid JSON"));
  EXPECT_THAT(ErrorOf("[]"), HasSubstr("scenario: must be an object"));
  EXPECT_THAT(ErrorOf(R"({"device": []})"), HasSubstr("scenario.device: is not a known key"));
  EXPECT_THAT(ErrorOf(R"({"devices": {}})"), HasSubstr("devices: must be a list"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{}, {"string2": 5}]})"),
              HasSubstr("devices[1].string2: must be a text"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"replies": {"D0X2": "00"}}]})"),
              HasSubstr("devices[0].replies.D0X2: \"D0X2\" is not a request code"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"replies": {"0xD002": "9 1 2 345"}}]})"),
              HasSubstr("\"345\" is not a hex byte"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"after_image": {"radio": {}}}]})"),
              HasSubstr("devices[0].after_image.radio: is not a known key"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"faults": [{"command": "0xD0AA", "kind": "slow"}]}]})"),
              HasSubstr("devices[0].faults[0].kind: must be one of"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"faults": [{"kind": "no-reply"}]}]})"),
              HasSubstr("needs a command"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"faults": [{"command": "0xD0AA", "kind": "delay"}]}]})"),
              HasSubstr("a delay needs ms"));
  EXPECT_THAT(
      ErrorOf(
          R"({"devices": [{"faults": [{"command": "0xD0AA", "kind": "no-reply", "times": 0}]}]})"),
      HasSubstr("times: must be a whole number of at least 1"));
  EXPECT_THAT(ErrorOf(R"({"devices": [{"remove_after": 53419}]})"),
              HasSubstr("remove_after: must be a text"));
  EXPECT_THAT(ErrorOf(R"({"record": ""})"), HasSubstr("record: must name a file"));
}

}  // namespace
