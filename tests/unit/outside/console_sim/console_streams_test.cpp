// File streams: every block is answered on its own, and a finished image switches the console
// to the replies that image brings. Which image a stream is follows from the request that
// announced it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "outside/console_sim/console.h"
#include "tests/unit/outside/console_sim/host.h"

namespace {

using namespace console_sim_test;
using sim::Console;
using sim::DeviceScenario;
using sim::ImageKind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;
using ::testing::SizeIs;

// Each image sets the DSP version reply to its own marker, so a test sees which image the
// console took a stream for.
DeviceScenario MarkedImages() {
  DeviceScenario scenario;
  scenario.default_replies = false;
  scenario.replies[0xD002] = {0x00};
  scenario.after_image[ImageKind::kDsp][0xD002] = {0xD5};
  scenario.after_image[ImageKind::kCvm][0xD002] = {0xC7};
  scenario.after_image[ImageKind::kCpld][0xD002] = {0xC1};
  scenario.after_image[ImageKind::kBootblock][0xD002] = {0xBB};
  return scenario;
}

class ConsoleStreamsTest : public ::testing::Test {
 protected:
  void SetUp() override { Configure(console_); }

  std::uint8_t Marker() { return Ask(console_, 0xD002).value().at(0); }

  Console console_{MarkedImages()};
};

TEST_F(ConsoleStreamsTest, EachBlockIsAnsweredOnTheFileEndpoint) {
  NoticeCounter counter(console_);
  usb::Report block{};
  for (std::uint8_t n = 1; n <= 3; ++n) {
    ASSERT_TRUE(console_.Write(sim::kFileOut, block));
    const auto answer = console_.Read(sim::kFileIn);
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[0], 0x06);
    EXPECT_EQ((*answer)[1], n);
    EXPECT_FALSE(console_.Read(sim::kFileIn));
  }
  EXPECT_THAT(counter.notices, SizeIs(3));
  EXPECT_EQ(counter.notices[2].first, sim::kFileIn);
  EXPECT_FALSE(console_.Read(sim::kCommandIn));
}

TEST_F(ConsoleStreamsTest, RepliesSwitchOnlyOnceTheImageIsComplete) {
  SendCommand(console_, 0xD009);
  TakeReply(console_);
  usb::Report block{};
  console_.Write(sim::kFileOut, block);
  console_.Write(sim::kFileOut, block);
  EXPECT_FALSE(console_.Read(sim::kCommandIn)) << "blocks are not answered on the command pipe";

  console_.EndWrite(sim::kCommandOut);
  EXPECT_THAT(console_.Received(), SizeIs(1)) << "only the file pipe ends a stream";
  console_.EndWrite(sim::kFileOut);
  EXPECT_THAT(console_.Received(), SizeIs(2));
  EXPECT_EQ(Marker(), 0xD5);
}

TEST_F(ConsoleStreamsTest, TheNextCommandEndsAStreamBeforeItIsAnswered) {
  SendCommand(console_, 0xD008);
  TakeReply(console_);
  usb::Report block{};
  console_.Write(sim::kFileOut, block);

  EXPECT_EQ(Marker(), 0xC1);
}

TEST_F(ConsoleStreamsTest, CompositeUpgradeTakesBootBlockThenDsp) {
  SendCommand(console_, 0xD005);
  TakeReply(console_);
  StreamImage(console_, 2, 0xAA);
  EXPECT_EQ(Marker(), 0xBB);
  StreamImage(console_, 1, 0xAA);
  EXPECT_EQ(Marker(), 0xD5);
}

TEST_F(ConsoleStreamsTest, RadioModuleAnnouncementsAndAnUnannouncedRecovery) {
  for (const std::uint16_t code :
       {std::uint16_t{0xD00A}, std::uint16_t{0xD014}, std::uint16_t{0xD01B}}) {
    SendCommand(console_, code,
                code == 0xD01B ? std::vector<std::uint8_t>(32, 0xFF) : std::vector<std::uint8_t>{});
    TakeReply(console_);
  }
  StreamImage(console_, 1, 0x01);
  EXPECT_EQ(Marker(), 0xC7);

  StreamImage(console_, 1, 0x01);
  EXPECT_EQ(Marker(), 0xD5) << "a stream nobody announced is a DSP image";
}

TEST_F(ConsoleStreamsTest, CloseAndResetEndAStreamToo) {
  SendCommand(console_, 0xD008);
  TakeReply(console_);
  usb::Report block{};
  console_.Write(sim::kFileOut, block);
  console_.Close();
  EXPECT_THAT(console_.Received(), SizeIs(2));
  EXPECT_EQ(Marker(), 0xC1);

  console_.Write(sim::kFileOut, block);
  console_.Reset();
  EXPECT_THAT(
      console_.Received(),
      ElementsAre("request 0xD008 payload=\"\"", ::testing::StartsWith("file bytes=64 "),
                  "request 0xD002 payload=\"\"", ::testing::StartsWith("file bytes=64 "), "reset"));
  Configure(console_);
  EXPECT_EQ(Marker(), 0xD5);
}

TEST(ConsoleAfterImageTest, BuiltInConsoleReportsTheVersionsTheImagesBring) {
  Console console(DeviceScenario{});
  Configure(console);
  SendCommand(console, 0xD009);
  TakeReply(console);
  StreamImage(console, 3, 0x5A);
  EXPECT_THAT(Ask(console, 0xD002), Optional(ElementsAre(0x07, 0x16)));  // 1.607
  EXPECT_THAT(Ask(console, 0xD003), Optional(ElementsAre(0x05, 0x01)));

  SendCommand(console, 0xD00A);
  TakeReply(console);
  StreamImage(console, 3, 0x5A);
  EXPECT_THAT(Ask(console, 0xD003), Optional(ElementsAre(0x10, 0x01)));  // 1.10
  EXPECT_THAT(Ask(console, 0xD002), Optional(ElementsAre(0x07, 0x16)));
}

TEST(ConsoleForeignDeviceTest, TakesEverythingAndAnswersNothing) {
  DeviceScenario scenario;
  scenario.string2 = "USB Mass Storage";
  Console foreign(scenario);
  NoticeCounter counter(foreign);
  Configure(foreign);

  EXPECT_FALSE(foreign.IsHalcyra());
  EXPECT_FALSE(Ask(foreign, 0xD0AA));
  StreamImage(foreign, 1, 0x00);
  EXPECT_THAT(counter.notices, IsEmpty());
  EXPECT_THAT(
      foreign.Received(),
      ElementsAre("request 0xD0AA payload=\"\"",
                  "file bytes=64 "
                  "sha256=f5a5fd42d16a20302798ef6ed309979b43003d2320d9f0e8ea9831a92759fb4b"));
}

}  // namespace
