// How a console answers commands: one reply report per request, with reply code = request
// code + 0x100 and the scenario's payload, the built-in payloads or zeros; and every fault kind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "outside/console_sim/console.h"
#include "platform/clock/clock.h"
#include "tests/support/participant.h"
#include "tests/unit/outside/console_sim/host.h"

namespace {

using namespace console_sim_test;
using sim::Console;
using sim::DeviceScenario;
using sim::Fault;
using sim::FaultKind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;
using Bytes = std::vector<std::uint8_t>;

DeviceScenario WithoutDefaults() {
  DeviceScenario scenario;
  scenario.default_replies = false;
  return scenario;
}

TEST(ConsoleAnswersTest, OneReplyWithCodePlus0x100AndTheScenarioPayload) {
  DeviceScenario scenario = WithoutDefaults();
  scenario.replies[0xD002] = {0x09, 0x12};
  Console console(scenario);
  NoticeCounter counter(console);
  Configure(console);

  ASSERT_TRUE(SendCommand(console, 0xD002));
  const auto reply = TakeReply(console);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 0xD102);
  EXPECT_THAT(reply->payload, ElementsAre(0x09, 0x12));
  EXPECT_FALSE(TakeReply(console)) << "exactly one report per command";
  EXPECT_THAT(counter.notices, ElementsAre(std::pair<usb::Endpoint, std::int64_t>{0x83, 0}));
}

TEST(ConsoleAnswersTest, UnnamedCodesAnswerZerosOfTheirReplyLength) {
  Console console(WithoutDefaults());
  Configure(console);

  EXPECT_THAT(Ask(console, 0xD010), Optional(ElementsAre(0, 0, 0, 0)));
  EXPECT_THAT(Ask(console, 0xD002), Optional(ElementsAre(0, 0)));
  EXPECT_THAT(Ask(console, 0xD0AA), Optional(IsEmpty()));
  EXPECT_THAT(Ask(console, 0xD01B), Optional(IsEmpty())) << "no reply length in the table";
}

TEST(ConsoleAnswersTest, BuiltInConsoleNeedsDspAndRadioModuleUpgrade) {
  Console console(DeviceScenario{});
  Configure(console);

  EXPECT_THAT(Ask(console, 0xD002), Optional(ElementsAre(0x11, 0x15)));  // 1.511
  EXPECT_THAT(Ask(console, 0xD003), Optional(ElementsAre(0x05, 0x01)));  // 1.05
  EXPECT_THAT(Ask(console, 0xD001), Optional(ElementsAre('6', '0', '1', 'C')));
  EXPECT_THAT(Ask(console, 0xD01C), Optional(ElementsAre(0x01)));
  EXPECT_THAT(Ask(console, 0xD0AE), Optional(ElementsAre(0x01)));
  EXPECT_THAT(Ask(console, 0xD010), Optional(ElementsAre(0, 0, 0, 0)));
}

TEST(ConsoleAnswersTest, ScenarioRepliesOverrideTheBuiltInOnes) {
  DeviceScenario scenario;
  scenario.replies[0xD01C] = {0x02};
  Console console(scenario);
  Configure(console);

  EXPECT_THAT(Ask(console, 0xD01C), Optional(ElementsAre(0x02)));
  EXPECT_THAT(Ask(console, 0xD002), Optional(ElementsAre(0x11, 0x15)));
}

TEST(ConsoleAnswersTest, FaultsPlayForTheNextRequestsOfTheirCodeThenStop) {
  DeviceScenario scenario = WithoutDefaults();
  scenario.replies[0xD002] = {0x09, 0x12};
  scenario.faults = {Fault{0xD002, FaultKind::kNoReply, 2}, Fault{0xD002, FaultKind::kWrongCode, 1},
                     Fault{0xD002, FaultKind::kBadLength, 1},
                     Fault{0xD0AA, FaultKind::kWrongCode, 1}};
  Console console(scenario);
  NoticeCounter counter(console);
  Configure(console);

  EXPECT_FALSE(Ask(console, 0xD002));
  EXPECT_FALSE(Ask(console, 0xD002));
  EXPECT_THAT(counter.notices, IsEmpty()) << "no notice without a reply";

  SendCommand(console, 0xD002);
  const auto wrong = TakeReply(console);
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->code, 0xD002);
  EXPECT_THAT(wrong->payload, ElementsAre(0x09, 0x12));

  SendCommand(console, 0xD002);
  const auto short_reply = TakeReply(console);
  ASSERT_TRUE(short_reply);
  EXPECT_EQ(short_reply->code, 0xD102);
  EXPECT_THAT(short_reply->payload, IsEmpty());

  SendCommand(console, 0xD002);
  const auto normal = TakeReply(console);
  ASSERT_TRUE(normal);
  EXPECT_EQ(normal->code, 0xD102);
  EXPECT_THAT(normal->payload, ElementsAre(0x09, 0x12));

  SendCommand(console, 0xD0AA);
  EXPECT_EQ(TakeReply(console)->code, 0xD0AA);
  SendCommand(console, 0xD0AA);
  EXPECT_EQ(TakeReply(console)->code, 0xD1AA);
}

TEST(ConsoleAnswersTest, ADelayedReplyIsReadyOnlyAfterItsTimeAndHoldsBackTheRepliesBehindIt) {
  platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
  tessaly_test::ParticipantScope participant;
  DeviceScenario scenario = WithoutDefaults();
  scenario.faults = {Fault{0xD0AA, FaultKind::kDelay, 1, 500}};
  Console console(scenario);
  NoticeCounter counter(console);
  Configure(console);

  SendCommand(console, 0xD0AA);
  platform::GetClock().Sleep(200);
  // Replies come in order: this one is ready, and announced, with the delayed one.
  SendCommand(console, 0xD002);
  EXPECT_THAT(counter.notices, ElementsAre(std::pair<usb::Endpoint, std::int64_t>{0x83, 500},
                                           std::pair<usb::Endpoint, std::int64_t>{0x83, 300}));
  platform::GetClock().Sleep(299);
  EXPECT_FALSE(TakeReply(console));
  platform::GetClock().Sleep(1);
  EXPECT_EQ(TakeReply(console)->code, 0xD1AA);
  EXPECT_EQ(TakeReply(console)->code, 0xD102);

  SendCommand(console, 0xD0AA);
  EXPECT_TRUE(TakeReply(console)) << "the delay was for one request only";
}

TEST(ConsoleAnswersTest, TakesNothingUntilConfiguredAndOnlyOnItsOutEndpoints) {
  Console console(DeviceScenario{});
  EXPECT_FALSE(SendCommand(console, 0xD0AA));
  EXPECT_THAT(console.Received(), IsEmpty());

  EXPECT_FALSE(console.SelectConfiguration(2));
  Configure(console);
  EXPECT_EQ(console.Configuration(), 1);
  const usb::Report report = sim::FrameReport(0xD0AA, {});
  EXPECT_FALSE(console.Write(0x83, report));
  EXPECT_FALSE(console.Write(0x01, report));
  EXPECT_TRUE(console.HasEndpoint(0x82));
  EXPECT_FALSE(console.HasEndpoint(0x81));
}

TEST(ConsoleAnswersTest, IdentityOpenAndGarbage) {
  DeviceScenario refusing;
  refusing.refuse_open = true;
  Console refuses(refusing);
  Console console(DeviceScenario{});

  EXPECT_FALSE(refuses.Open());
  EXPECT_FALSE(refuses.Open());
  EXPECT_EQ(refuses.StringDescriptor(2), "TMX320VC5509");
  EXPECT_TRUE(console.Open());
  EXPECT_FALSE(console.StringDescriptor(1));

  Configure(console);
  usb::Report garbage{};
  garbage[0] = 0x55;
  EXPECT_TRUE(console.Write(sim::kCommandOut, garbage));
  EXPECT_FALSE(TakeReply(console));
  ASSERT_EQ(console.Received().size(), 1U);
  EXPECT_THAT(console.Received()[0], ::testing::StartsWith("bad-frame report=\"55 00 00"));
}

}  // namespace
