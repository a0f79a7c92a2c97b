#include "device_check/usbio_installation.h"

#include "gtest/gtest.h"

namespace {

using virelo::ParseUsbioInstallation;
using virelo::UsbioOperation;

TEST(UsbioInstallationTest, ReadsEveryAcceptedForm) {
  EXPECT_TRUE(ParseUsbioInstallation("").installed);
  EXPECT_TRUE(ParseUsbioInstallation("installed").installed);
  EXPECT_FALSE(ParseUsbioInstallation("installed").failing);
  EXPECT_FALSE(ParseUsbioInstallation("missing").installed);
  EXPECT_EQ(ParseUsbioInstallation("failing:enumerate").failing, UsbioOperation::kEnumerate);
  EXPECT_EQ(ParseUsbioInstallation("failing:open").failing, UsbioOperation::kOpen);
  EXPECT_EQ(ParseUsbioInstallation("failing:close").failing, UsbioOperation::kClose);
  EXPECT_EQ(ParseUsbioInstallation("failing:descriptor").failing, UsbioOperation::kReadDescriptor);
  EXPECT_TRUE(ParseUsbioInstallation("failing:open").installed);
}

TEST(UsbioInstallationTest, RefusesAnythingElse) {
  for (const char* text : {"Installed", "absent", "failing:", "failing:read", "failing:open "}) {
    EXPECT_THROW(ParseUsbioInstallation(text), virelo::UsbioInstallationError) << text;
  }
}

}  // namespace
