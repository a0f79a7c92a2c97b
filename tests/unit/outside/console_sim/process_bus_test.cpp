// Building the bus from HALCYRA_USB: the default console, a scenario file, and files that cannot
// be used, which give an error that names the file and the fault.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "outside/console_sim/console.h"
#include "outside/console_sim/process_bus.h"
#include "outside/console_sim/scenario_file.h"

namespace {

namespace sim = outside::console_sim;
namespace usb = outside::usb;
using ::testing::AllOf;
using ::testing::HasSubstr;

std::filesystem::path WriteFile(const std::string& name, const std::string& text) {
  auto path = std::filesystem::path(::testing::TempDir()) / name;
  std::ofstream(path) << text;
  return path;
}

std::string BuildError(const usb::BackendChoice& choice) {
  try {
    sim::BuildBus(choice);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

TEST(ProcessBusTest, DefaultIsOneConsole) {
  const auto bus = sim::BuildBus(usb::BackendChoice{});
  ASSERT_EQ(bus->Count(), 1U);
  EXPECT_EQ(bus->At(0)->StringDescriptor(2), "TMX320VC5509");
}

TEST(ProcessBusTest, ScenarioFileFromTheEnvironment) {
  const auto path =
      WriteFile("usbsim_two.json", R"({"devices": [{"string2": "Hub"}, {"refuse_open": true}]})");
  ::setenv("HALCYRA_USB", ("sim:" + path.string()).c_str(), 1);
  const auto bus = sim::BuildBusFromEnvironment();
  ::unsetenv("HALCYRA_USB");

  ASSERT_EQ(bus->Count(), 2U);
  EXPECT_EQ(bus->At(0)->StringDescriptor(2), "Hub");
  EXPECT_FALSE(bus->At(1)->Open());
  std::filesystem::remove(path);
}

TEST(ProcessBusTest, UnusableScenarioFilesAreReportedClearly) {
  const auto missing = std::filesystem::path(::testing::TempDir()) / "usbsim_missing.json";
  EXPECT_THAT(BuildError({missing}),
              AllOf(HasSubstr(missing.string()), HasSubstr("cannot be read")));
  EXPECT_THAT(BuildError({std::filesystem::path(::testing::TempDir())}),
              HasSubstr("cannot be read"));

  const auto broken = WriteFile("usbsim_broken.json", R"({"devices": [{"faults": 3}]})");
  EXPECT_THAT(BuildError({broken}),
              AllOf(HasSubstr(broken.string()), HasSubstr("devices[0].faults: must be a list")));

  const auto unwritable =
      WriteFile("usbsim_unwritable.json", R"({"record": "/nonexistent/folder/record.txt"})");
  EXPECT_THAT(BuildError({unwritable}), HasSubstr("cannot be opened for writing"));
  std::filesystem::remove(broken);
  std::filesystem::remove(unwritable);
}

TEST(ProcessBusTest, ProcessBusIsBuiltOnceAndCanBeReplacedForATest) {
  ::unsetenv("HALCYRA_USB");
  const auto process_bus = sim::ProcessBus();
  EXPECT_EQ(sim::ProcessBus(), process_bus);
  {
    const auto injected = std::make_shared<usb::Bus>();
    sim::ScopedProcessBus scope(injected);
    EXPECT_EQ(sim::ProcessBus(), injected);
  }
  EXPECT_EQ(sim::ProcessBus(), process_bus);
}

}  // namespace
