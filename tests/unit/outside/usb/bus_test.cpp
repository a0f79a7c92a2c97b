// The bus keeps its devices in enumeration order and tells its listeners of every arrival and
// removal, including a device that takes itself off.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "outside/usb/bus.h"

namespace {

using outside::usb::Bus;
using outside::usb::Device;
using outside::usb::Endpoint;
using outside::usb::Report;
using ::testing::ElementsAre;

class FakeDevice final : public Device {
 public:
  explicit FakeDevice(std::string name) : name_(std::move(name)) {}

  std::optional<std::string> StringDescriptor(std::uint8_t) const override { return name_; }
  bool Open() override { return true; }
  void Close() override {}
  bool SelectConfiguration(int) override { return true; }
  int Configuration() const override { return 1; }
  bool HasEndpoint(Endpoint) const override { return false; }
  bool Write(Endpoint, std::span<const std::uint8_t>) override { return false; }
  void EndWrite(Endpoint) override {}
  std::optional<Report> Read(Endpoint) override { return std::nullopt; }
  void Reset() override {}
  void OnRemovedFromBus() override { ++removals_seen; }

  void PullPlug() const { Unplug(); }

  int removals_seen = 0;

 private:
  std::string name_;
};

std::vector<std::string> NamesOn(const Bus& bus) {
  std::vector<std::string> names;
  for (const auto& device : bus.Devices()) names.push_back(*device->StringDescriptor(2));
  return names;
}

class BusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    arrivals_ = bus_.SubscribeArrival([this](const std::shared_ptr<Device>& device) {
      events_.push_back("arrived " + *device->StringDescriptor(2));
    });
    removals_ = bus_.SubscribeRemoval([this](const std::shared_ptr<Device>& device) {
      events_.push_back("removed " + *device->StringDescriptor(2));
    });
  }

  Bus bus_;
  std::vector<std::string> events_;
  outside::usb::Subscription arrivals_;
  outside::usb::Subscription removals_;
};

TEST_F(BusTest, KeepsEnumerationOrderAndAnnouncesEachChange) {
  const auto first = std::make_shared<FakeDevice>("first");
  const auto second = std::make_shared<FakeDevice>("second");
  const auto third = std::make_shared<FakeDevice>("third");
  bus_.Attach(first);
  bus_.Attach(second);
  bus_.Attach(third);

  EXPECT_TRUE(bus_.Remove(*second));
  EXPECT_FALSE(bus_.Remove(*second));

  EXPECT_THAT(NamesOn(bus_), ElementsAre("first", "third"));
  EXPECT_EQ(bus_.Count(), 2U);
  EXPECT_EQ(bus_.At(1), third);
  EXPECT_EQ(bus_.At(2), nullptr);
  EXPECT_FALSE(bus_.Contains(*second));
  EXPECT_EQ(second->removals_seen, 1);
  EXPECT_THAT(events_,
              ElementsAre("arrived first", "arrived second", "arrived third", "removed second"));
}

TEST_F(BusTest, DeviceThatUnplugsItselfIsRemovedOnce) {
  const auto device = std::make_shared<FakeDevice>("console");
  bus_.Attach(device);

  device->PullPlug();
  device->PullPlug();

  EXPECT_EQ(bus_.Count(), 0U);
  EXPECT_EQ(device->removals_seen, 1);
  EXPECT_THAT(events_, ElementsAre("arrived console", "removed console"));
}

TEST_F(BusTest, EndedSubscriptionHearsNothingMore) {
  removals_.Cancel();
  const auto device = std::make_shared<FakeDevice>("console");
  bus_.Attach(device);
  bus_.Remove(*device);

  EXPECT_THAT(events_, ElementsAre("arrived console"));
}

TEST_F(BusTest, ListenerMayUseTheBusWhileItIsTold) {
  // A driver that looks at the bus from inside its removal notice must not dead-lock.
  std::size_t count_seen = 99;
  const auto listener =
      bus_.SubscribeRemoval([&](const std::shared_ptr<Device>&) { count_seen = bus_.Count(); });
  const auto device = std::make_shared<FakeDevice>("console");
  bus_.Attach(device);
  bus_.Remove(*device);

  EXPECT_EQ(count_seen, 0U);
}

}  // namespace
