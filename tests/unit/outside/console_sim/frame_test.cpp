// The console reads request frames the way the host builds them and refuses anything else.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "outside/console_sim/frame.h"

namespace {

using outside::console_sim::BuildFrame;
using outside::console_sim::FrameReport;
using outside::console_sim::ParseRequest;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<std::uint8_t>;

TEST(FrameTest, BuildsTheWireForm) {
  EXPECT_THAT(BuildFrame(0xD002, {}),
              ElementsAre(0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0x02, 0xD0, 0xFB));
  EXPECT_THAT(BuildFrame(0xD0AA, {}),
              ElementsAre(0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0xAA, 0xD0, 0xA3));
  const Bytes payload = {0x01, 0x00};
  EXPECT_THAT(BuildFrame(0xD015, payload),
              ElementsAre(0x10, 0x00, 0x07, 0x18, 0x0F, 0x02, 0x15, 0xD0, 0x01, 0x00, 0x0F));
}

TEST(FrameTest, ReportIsZeroFilledOrCut) {
  const auto report = FrameReport(0xD0AA, {});
  EXPECT_EQ(report[8], 0xA3);
  EXPECT_EQ(report[9], 0x00);
  EXPECT_EQ(report[63], 0x00);

  const Bytes long_payload(255, 0x11);
  const auto cut = FrameReport(0xD10D, long_payload);
  EXPECT_EQ(cut[1], 0x01);  // L = 260 still announced
  EXPECT_EQ(cut[2], 0x04);
  EXPECT_EQ(cut[63], 0x11);
}

TEST(FrameTest, ParsesWhatTheHostSends) {
  const Bytes header = {0x04, 0x00, 0x00, 0x00, 0xFF};
  const auto report = FrameReport(0xD01B, header);
  const auto request = ParseRequest(report);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->code, 0xD01B);
  EXPECT_THAT(request->payload, ElementsAreArray(header));

  const auto empty = ParseRequest(FrameReport(0xD0AA, {}));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->payload.empty());
}

TEST(FrameTest, RefusesMalformedFrames) {
  const auto good = FrameReport(0xD002, {});
  auto bad_start = good;
  bad_start[0] = 0x11;
  auto bad_fixed = good;
  bad_fixed[4] = 0x0E;
  auto bad_checksum = good;
  bad_checksum[8] ^= 1;
  auto too_short_length = good;
  too_short_length[2] = 0x04;

  EXPECT_FALSE(ParseRequest(bad_start));
  EXPECT_FALSE(ParseRequest(bad_fixed));
  EXPECT_FALSE(ParseRequest(bad_checksum));
  EXPECT_FALSE(ParseRequest(too_short_length));
  EXPECT_FALSE(ParseRequest(std::span(good).first(8)));
}

TEST(FrameTest, FrameLongerThanTheReportIsTakenAsFarAsItGoes) {
  const Bytes long_payload(255, 0x22);
  const auto request = ParseRequest(FrameReport(0xD00E, long_payload));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->code, 0xD00E);
  EXPECT_EQ(request->payload.size(), 56U);
}

}  // namespace
