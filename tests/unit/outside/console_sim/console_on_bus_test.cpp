// A console on the bus: removal after a chosen request, resets that keep it attached, several
// devices in enumeration order, and the record file line by line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "outside/console_sim/console.h"
#include "outside/console_sim/process_bus.h"
#include "outside/usb/bus.h"
#include "tests/unit/outside/console_sim/host.h"

namespace {

using namespace console_sim_test;
using sim::Console;
using sim::DeviceScenario;
using sim::Scenario;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::shared_ptr<Console> ConsoleAt(const usb::Bus& bus, std::size_t index) {
  return std::dynamic_pointer_cast<Console>(bus.At(index));
}

class RemovalLog {
 public:
  explicit RemovalLog(usb::Bus& bus)
      : subscription_(bus.SubscribeRemoval([this](const std::shared_ptr<usb::Device>& device) {
          removed.push_back(device.get());
        })) {}
  std::vector<usb::Device*> removed;

 private:
  usb::Subscription subscription_;
};

TEST(ConsoleOnBusTest, RemovedRightAfterItAnswersTheChosenRequest) {
  Scenario scenario;
  scenario.devices[0].remove_after = 0xD0AB;
  const auto bus = sim::BuildBus(scenario);
  const auto console = ConsoleAt(*bus, 0);
  RemovalLog log(*bus);
  NoticeCounter counter(*console);
  Configure(*console);

  EXPECT_TRUE(Ask(*console, 0xD0AA));
  EXPECT_THAT(log.removed, IsEmpty());

  SendCommand(*console, 0xD0AB);
  EXPECT_THAT(log.removed, ElementsAre(console.get()));
  EXPECT_EQ(bus->Count(), 0U);
  EXPECT_EQ(counter.notices.size(), 2U) << "the answer was announced before the removal";
  const auto reply = TakeReply(*console);
  ASSERT_TRUE(reply) << "a reply given before the removal can still be read";
  EXPECT_EQ(reply->code, 0xD1AB);

  EXPECT_FALSE(SendCommand(*console, 0xD0AB));
  EXPECT_FALSE(console->Open());
  EXPECT_THAT(console->Received(),
              ElementsAre("request 0xD0AA payload=\"\"", "request 0xD0AB payload=\"\"", "removed"));
}

TEST(ConsoleOnBusTest, UnansweredRequestDoesNotRemove) {
  Scenario scenario;
  scenario.devices[0].remove_after = 0xD0AB;
  scenario.devices[0].faults = {sim::Fault{0xD0AB, sim::FaultKind::kNoReply, 1}};
  const auto bus = sim::BuildBus(scenario);
  const auto console = ConsoleAt(*bus, 0);
  Configure(*console);

  EXPECT_FALSE(Ask(*console, 0xD0AB));
  EXPECT_EQ(bus->Count(), 1U);
  EXPECT_TRUE(Ask(*console, 0xD0AB));
  EXPECT_EQ(bus->Count(), 0U);
}

TEST(ConsoleOnBusTest, UsbResetAndResetCommandKeepItOnTheBus) {
  const auto bus = sim::BuildBus(Scenario{});
  const auto console = ConsoleAt(*bus, 0);
  RemovalLog log(*bus);
  NoticeCounter counter(*console);
  Configure(*console);

  SendCommand(*console, 0xD0AB);
  EXPECT_EQ(TakeReply(*console)->code, 0xD1AB);
  SendCommand(*console, 0xD0AA);  // left unread: a reset flushes it
  console->Reset();

  EXPECT_EQ(bus->Count(), 1U);
  EXPECT_THAT(log.removed, IsEmpty());
  EXPECT_EQ(counter.notices.size(), 2U) << "no notice for the reset itself";
  EXPECT_EQ(console->Configuration(), 0);
  EXPECT_FALSE(SendCommand(*console, 0xD0AA)) << "must be configured again after a reset";
  Configure(*console);
  EXPECT_FALSE(TakeReply(*console));
  EXPECT_TRUE(Ask(*console, 0xD0AA));
}

TEST(ConsoleOnBusTest, DevicesInEnumerationOrderWithTheConsoleSecond) {
  Scenario scenario;
  DeviceScenario keyboard;
  keyboard.string2 = "Keyboard";
  scenario.devices = {keyboard, DeviceScenario{}};
  const auto bus = sim::BuildBus(scenario);

  ASSERT_EQ(bus->Count(), 2U);
  EXPECT_EQ(bus->At(0)->StringDescriptor(2), "Keyboard");
  EXPECT_EQ(bus->At(1)->StringDescriptor(2), "TMX320VC5509");
  EXPECT_FALSE(ConsoleAt(*bus, 0)->IsHalcyra());
  EXPECT_TRUE(ConsoleAt(*bus, 1)->IsHalcyra());
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ConsoleOnBusTest, RecordFileHoldsOneLinePerEvent) {
  const auto record = std::filesystem::path(::testing::TempDir()) / "usbsim_record.txt";
  std::filesystem::remove(record);
  Scenario scenario;
  scenario.record = record;
  const auto bus = sim::BuildBus(scenario);
  EXPECT_TRUE(std::filesystem::exists(record)) << "the file exists from the start";
  const auto console = ConsoleAt(*bus, 0);
  Configure(*console);

  Ask(*console, 0xD0AA);
  std::vector<std::uint8_t> header = {0x04, 0x00, 0x00, 0x00, 0x00, 0x01,
                                      0x00, 0x00, 0x55, 0x00, 0x00, 0x00};
  header.resize(32, 0xFF);
  SendCommand(*console, 0xD01B, header);
  for (int block = 0; block < 2; ++block) {
    usb::Report bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<std::uint8_t>(block * 64 + static_cast<int>(i));
    }
    console->Write(sim::kFileOut, bytes);
  }
  console->EndWrite(sim::kFileOut);
  console->Reset();
  bus->Remove(*console);

  EXPECT_EQ(ReadWhole(record),
            "request 0xD0AA payload=\"\"\n"
            "request 0xD01B payload=\"04 00 00 00 00 01 00 00 55 00 00 00 FF FF FF FF FF FF FF "
            "FF FF FF FF FF FF FF FF FF FF FF FF FF\"\n"
            "file bytes=128 "
            "sha256=471fb943aa23c511f6f72f8d1652d9c880cfa392ad80503120547703e56a2be5\n"
            "reset\n"
            "removed\n");
  std::filesystem::remove(record);
}

}  // namespace
