#include "device_link/application_link.h"

#include <memory>
#include <stdexcept>

#include <gtest/gtest.h>

#include "device_link/bus_mail.h"

namespace {

TEST(ApplicationLinkTest, RegisteredObjectIsReachedWithItsStartValues) {
  CApplicationLink app;
  CApplicationLink* const previous = SetApplicationLink(&app);
  CApplicationLink& link = GetApplicationLink();
  EXPECT_EQ(&link, &app);
  EXPECT_EQ(link.m_bControlTransport, 1);
  EXPECT_EQ(link.m_nDeviceNo, 0);
  EXPECT_EQ(link.m_bSendingDSPFile + link.m_bSendingBootBlockFile + link.m_bSendingCVMFile, 0);
  EXPECT_EQ(link.m_mapCommandName.GetCount(), 0u);
  EXPECT_EQ(SetApplicationLink(previous), &app);
}

TEST(ApplicationLinkTest, DestroyedObjectUnregistersItself) {
  auto app = std::make_unique<CApplicationLink>();
  SetApplicationLink(app.get());
  app.reset();
  EXPECT_THROW(GetApplicationLink(), std::logic_error);
  EXPECT_THROW(CBusMail(), std::logic_error);
}

}  // namespace
