// HALCYRA_USB names the simulated bus alone or with a scenario file; anything else is refused
// with a message that says what would be accepted.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "outside/usb/backend_choice.h"

namespace {

using outside::usb::BackendChoiceFromEnvironment;
using outside::usb::BackendError;
using outside::usb::ParseBackendChoice;
using ::testing::HasSubstr;

std::string ErrorOf(std::string_view text) {
  try {
    ParseBackendChoice(text);
  } catch (const BackendError& error) {
    return error.what();
  }
  return "no error";
}

TEST(BackendChoiceTest, SimulatedBusWithOrWithoutScenario) {
  EXPECT_FALSE(ParseBackendChoice("sim").scenario);
  EXPECT_FALSE(ParseBackendChoice("").scenario);
  EXPECT_EQ(ParseBackendChoice("sim:/tmp/my scenario.json").scenario,
            std::filesystem::path("/tmp/my scenario.json"));
  EXPECT_EQ(ParseBackendChoice("sim:relative/s.json").scenario,
            std::filesystem::path("relative/s.json"));
}

TEST(BackendChoiceTest, OtherValuesAreRefusedClearly) {
  EXPECT_THAT(ErrorOf("sim:"), HasSubstr("names no scenario file"));
  EXPECT_THAT(ErrorOf("usb"), HasSubstr("\"usb\" is not a USB backend"));
  EXPECT_THAT(ErrorOf("SIM"), HasSubstr("use sim or sim:<scenario file>"));
  EXPECT_THAT(ErrorOf("simulated"), HasSubstr("HALCYRA_USB"));
}

TEST(BackendChoiceTest, ReadsTheEnvironmentAndDefaultsToSim) {
  ::unsetenv("HALCYRA_USB");
  EXPECT_FALSE(BackendChoiceFromEnvironment().scenario);

  ::setenv("HALCYRA_USB", "sim:/data/two.json", 1);
  EXPECT_EQ(BackendChoiceFromEnvironment().scenario, std::filesystem::path("/data/two.json"));

  ::setenv("HALCYRA_USB", "real", 1);
  EXPECT_THROW(BackendChoiceFromEnvironment(), BackendError);
  ::unsetenv("HALCYRA_USB");
}

}  // namespace
