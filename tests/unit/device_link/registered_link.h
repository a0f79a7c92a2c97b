#pragma once

#include <gtest/gtest.h>

#include "device_link/application_link.h"

// Gives each test a fresh application object, registered for the test's duration.
class RegisteredLinkTest : public ::testing::Test {
 protected:
  RegisteredLinkTest() : previous_(SetApplicationLink(&app_)) {}
  ~RegisteredLinkTest() override { SetApplicationLink(previous_); }

  CApplicationLink app_;

 private:
  CApplicationLink* previous_;
};
