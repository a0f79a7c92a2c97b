#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "outside/usb/string_descriptor.h"

namespace {

using outside::usb::EncodeStringDescriptor;
using ::testing::ElementsAre;

TEST(StringDescriptorTest, HeaderThenUtf16LittleEndian) {
  EXPECT_THAT(EncodeStringDescriptor("TM"), ElementsAre(6, 3, 'T', 0, 'M', 0));
  EXPECT_THAT(EncodeStringDescriptor(""), ElementsAre(2, 3));

  const auto identity = EncodeStringDescriptor("TMX320VC5509");
  ASSERT_EQ(identity.size(), 26U);
  EXPECT_EQ(identity[0], 26);
  EXPECT_EQ(identity[24], '9');
}

TEST(StringDescriptorTest, LatinOneKeepsItsCodeAndLongTextIsCutToFit) {
  EXPECT_THAT(EncodeStringDescriptor("\xE9"), ElementsAre(4, 3, 0xE9, 0));

  const auto longest = EncodeStringDescriptor(std::string(200, 'x'));
  EXPECT_EQ(longest.size(), 254U);
  EXPECT_EQ(longest[0], 254);
}

}  // namespace
